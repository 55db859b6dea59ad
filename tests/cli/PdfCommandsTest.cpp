#include "support/DemoReport.h"
#include "support/PdfFiles.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;

// The records of the demo image as its text report has them: one list of lines (heading,
// date, result) per record, the degree sign as "°".
std::vector<QStringList> demoTextReportRecords() {
    QByteArray report = test::expectedDemoTextReport();
    report.replace("\xA1\xE3", "\xC2\xB0");
    const QStringList lines = QString::fromUtf8(report).split("\r\n");
    std::vector<QStringList> records(1);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i].startsWith("-----")) {
            records.emplace_back();
        } else {
            records.back() << lines[i];
        }
    }
    records.pop_back(); // after the last separator
    return records;
}

// Sets an environment variable for the programs this test starts, and restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~ScopedEnvironment() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class PdfCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const auto payload = test::demoPayload();
        test::writeFile(path("demo.bin"), QByteArray(reinterpret_cast<const char*>(payload.data()),
                                                     static_cast<qsizetype>(payload.size())));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    ProcessResult varne(const QStringList& arguments) const {
        return test::runProgram(test::binaryPath("varne"), arguments, dir_.path());
    }

    QStringList pdfReports() const {
        return QDir(path("Varne_Report"))
            .entryList({"Varne_Report_*.pdf"}, QDir::Files, QDir::Name);
    }

    // Every record of the demo report in the PDF, each line in order, the excitation curve
    // followed by its knee point, every page numbered.
    void expectTheDemoReport(const QString& pdf) const {
        const QString text = test::pdfText(pdf);
        const QStringList lines = test::normalisedLines(text);
        ASSERT_FALSE(lines.isEmpty()) << "pdftotext read nothing from " << pdf.toStdString();
        QStringList wanted;
        const auto records = demoTextReportRecords();
        ASSERT_GE(records.size(), 10u);
        for (std::size_t k = 0; k < records.size(); ++k) {
            wanted << QString::number(k + 1);
            for (const QString& line : records[k]) {
                wanted << test::normalisedLines(line);
            }
            if (records[k].join('\n').startsWith("CT Test\nExcitation Curve")) {
                wanted << "Knee point (IEC 61869-2): 138.4 V at 0.0622 A";
            }
        }
        QString missing;
        EXPECT_TRUE(test::containsInOrder(lines, wanted, missing))
            << "not in order: " << missing.toStdString() << "\n"
            << text.toStdString();
        EXPECT_TRUE(text.contains("Knee point (IEC 61869-2): 138.4 V at 0.0622 A"));

        const auto info = test::pdfInfo(pdf);
        ASSERT_TRUE(info.count("Pages"));
        const int pages = info.at("Pages").toInt();
        EXPECT_TRUE(info.at("Page size").endsWith("(A4)"));
        for (int n = 1; n <= pages; ++n) {
            EXPECT_TRUE(text.contains(QString("page %1 of %2").arg(n).arg(pages))) << n;
        }
        for (const QString& font : test::pdfFonts(pdf)) {
            EXPECT_TRUE(font.contains("DejaVu") && font.contains(" yes ")) << font.toStdString();
        }
    }

    QTemporaryDir dir_;
};

TEST_F(PdfCommandsTest, RenderWritesTheDemoReportAsPdfWithoutADisplayAndNeverOverwrites) {
    // varne picks the offscreen platform itself, whatever the desktop's is.
    const ScopedEnvironment platform("QT_QPA_PLATFORM", "xcb");
    const ScopedEnvironment display("DISPLAY", QByteArray());
    const ScopedEnvironment wayland("WAYLAND_DISPLAY", QByteArray());

    const ProcessResult first = varne({"render", "--format", "pdf", "demo.bin"});
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    ASSERT_EQ(pdfReports().size(), 1);
    const QString pdf = path("Varne_Report/" + pdfReports()[0]);
    EXPECT_TRUE(first.out.contains("PDF report saved as " + pdf.toLocal8Bit()))
        << first.out.constData();
    expectTheDemoReport(pdf);
    const QString text = test::pdfText(pdf);
    EXPECT_TRUE(text.contains("Report image") && text.contains("demo.bin"));
    EXPECT_TRUE(test::normalisedLines(text).contains("Handshake value 7"));

    const QByteArray firstBytes = test::readFile(pdf);
    const ProcessResult second = varne({"render", "--format", "pdf", "demo.bin"});
    ASSERT_EQ(second.exitCode, 0) << second.err.constData();
    EXPECT_EQ(pdfReports().size(), 2);
    EXPECT_EQ(test::readFile(pdf), firstBytes);
    EXPECT_FALSE(QFile::exists(path("Varne_Report/Varne_Report.txt")));
}

TEST_F(PdfCommandsTest, RenderTakesTheDownloadFromTheSidecarIntoTheHeader) {
    test::writeFile(path("demo.json"), R"({"handshake": 7, "port": "/dev/ttyUSB3",
                                          "time": "2024-05-14T12:30:05+02:00"})");
    const ProcessResult result =
        varne({"render", "--format", "pdf", "--output", "out/x.pdf", "demo.bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    const QStringList lines = test::normalisedLines(test::pdfText(path("out/x.pdf")));
    QString missing;
    EXPECT_TRUE(test::containsInOrder(
        lines,
        {"Downloaded 2024-05-14 12:30:05 UTC+02:00", "Port /dev/ttyUSB3", "Handshake value 7"},
        missing))
        << missing.toStdString() << "\n"
        << lines.join('\n').toStdString();
    EXPECT_TRUE(pdfReports().isEmpty());
}

TEST_F(PdfCommandsTest, APdfThatCannotBeSavedExitsWithFive) {
    test::writeFile(path("taken"), "a file, not a directory");
    const ProcessResult result =
        varne({"render", "--format", "pdf", "--output", "taken/report.pdf", "demo.bin"});
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_TRUE(result.err.contains("The PDF report could not be saved")) << result.err.constData();
    EXPECT_EQ(test::readFile(path("taken")), "a file, not a directory");
}

TEST_F(PdfCommandsTest, GetDownloadsFromTheSimulatorIntoAPdfAndOpensItInThePdfViewer) {
    test::SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    test::writeFile(path("Configure/Varne_Com.txt"),
                    "COMSTART\n" + simulator.devicePath().toLocal8Bit() + "\nCOMEND\n");

    const ProcessResult quiet = varne({"get", "--format", "pdf", "--no-open"});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err.constData();
    ASSERT_EQ(pdfReports().size(), 1);
    const QString pdf = path("Varne_Report/" + pdfReports()[0]);
    expectTheDemoReport(pdf);
    QString missing;
    EXPECT_TRUE(test::containsInOrder(
        test::normalisedLines(test::pdfText(pdf)),
        {"Downloaded", "Port " + simulator.devicePath(), "Handshake value 7"}, missing))
        << missing.toStdString();
    EXPECT_EQ(QDir(path("Varne_Report/raw")).entryList({"*.bin"}, QDir::Files).size(), 1);

    // Opened with the desktop's application for PDF documents: stand-ins for xdg-mime and
    // xdg-open (shell built-ins only) record what they were asked.
    QTemporaryDir tools;
    ASSERT_TRUE(tools.isValid());
    const QString asked = tools.filePath("asked");
    const QString opened = tools.filePath("opened");
    test::writeFile(tools.filePath("xdg-mime"),
                    "#!/bin/sh\nprintf '%s' \"$3\" > '" + asked.toLocal8Bit() +
                        "'\n[ \"$3\" = application/pdf ] && echo viewer.desktop\nexit 0\n");
    test::writeFile(tools.filePath("xdg-open"),
                    "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened.toLocal8Bit() + "'\n");
    for (const char* tool : {"xdg-mime", "xdg-open"}) {
        QFile::setPermissions(tools.filePath(tool), QFile::ReadOwner | QFile::ExeOwner);
    }
    const ScopedEnvironment searchPath("PATH", tools.path().toLocal8Bit());
    const ProcessResult shown = varne({"get", "--format", "pdf"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.constData();
    ASSERT_EQ(pdfReports().size(), 2);
    EXPECT_EQ(test::readFile(asked), "application/pdf");
    EXPECT_EQ(test::readFile(opened), path("Varne_Report/" + pdfReports()[1]).toLocal8Bit());
    EXPECT_FALSE(shown.out.contains("Word")) << shown.out.constData();
    EXPECT_FALSE(shown.err.contains("Word")) << shown.err.constData();
}

TEST_F(PdfCommandsTest, ExportWritesTheSelectedTestsOfTheLibrary) {
    const ProcessResult imported = varne({"import", "--library", "lib.sqlite", "demo.bin"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.constData();

    const ProcessResult all =
        varne({"export", "--format", "pdf", "--library", "lib.sqlite", "--output", "all.pdf"});
    ASSERT_EQ(all.exitCode, 0) << all.err.constData();
    const QString allText = test::pdfText(path("all.pdf"));
    const QStringList allLines = test::normalisedLines(allText);
    EXPECT_TRUE(allLines.contains("Filters none (every record)")) << allText.toStdString();
    EXPECT_TRUE(allLines.contains(QString("Records %1").arg(demoTextReportRecords().size())));
    EXPECT_TRUE(allText.contains("Knee point (IEC 61869-2): 138.4 V at 0.0622 A"));

    const ProcessResult ct = varne({"export", "--format", "pdf", "--library", "lib.sqlite",
                                    "--kind", "excitation", "--output", "ct.pdf"});
    ASSERT_EQ(ct.exitCode, 0) << ct.err.constData();
    const QString ctText = test::pdfText(path("ct.pdf"));
    const QStringList ctLines = test::normalisedLines(ctText);
    EXPECT_TRUE(ctLines.contains("Filters --kind excitation")) << ctText.toStdString();
    EXPECT_TRUE(ctLines.contains("Records 1"));
    EXPECT_TRUE(ctText.contains("Excitation Curve"));
    EXPECT_FALSE(ctText.contains("Pick Up"));
    EXPECT_TRUE(ctText.contains("Knee point (IEC 61869-2): 138.4 V at 0.0622 A"));
}

TEST_F(PdfCommandsTest, ExportAsPdfNeedsAFileAndAWritableOne) {
    ASSERT_EQ(varne({"import", "--library", "lib.sqlite", "demo.bin"}).exitCode, 0);
    const ProcessResult noOutput = varne({"export", "--format", "pdf", "--library", "lib.sqlite"});
    EXPECT_EQ(noOutput.exitCode, 1);
    EXPECT_TRUE(noOutput.err.contains("--output")) << noOutput.err.constData();
    EXPECT_TRUE(noOutput.out.isEmpty());

    test::writeFile(path("taken"), "a file, not a directory");
    const ProcessResult unwritable =
        varne({"export", "--format", "pdf", "--library", "lib.sqlite", "--output", "taken/x.pdf"});
    EXPECT_EQ(unwritable.exitCode, 5);
    EXPECT_EQ(test::readFile(path("taken")), "a file, not a directory");
}

} // namespace
} // namespace varne
