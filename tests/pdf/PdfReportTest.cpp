#include "base/MessageSink.h"
#include "pdf/PdfReportFile.h"
#include "report/model/KneePoint.h"
#include "support/PdfFiles.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <limits>

namespace varne {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TestRecord record(const std::string& heading, const std::string& date, const std::string& result,
                  std::vector<CurvePoint> curve = {}) {
    TestRecord r;
    r.heading = heading;
    r.date = date;
    r.result = result;
    r.curve = std::move(curve);
    if (!r.curve.empty()) {
        r.type = 5;
        r.subtype = 3;
    }
    return r;
}

const std::vector<CurvePoint> kDemoCurve{
    {0.005f, 20.1f},  {0.010f, 45.3f},  {0.020f, 82.6f},  {0.040f, 121.8f},
    {0.080f, 148.9f}, {0.150f, 163.2f}, {0.300f, 172.5f}, {0.600f, 178.9f},
};

class PdfReportTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // Writes the report into the temporary directory and gives its path.
    QString write(const std::vector<TestRecord>& records, const ReportFacts& facts,
                  PdfReportOptions options = {}) {
        if (options.outputDirectory.empty() && options.outputFile.empty()) {
            options.outputDirectory = dir_.filePath("Varne_Report").toStdString();
        }
        PdfReportFile file(messages_, options);
        EXPECT_TRUE(file.WritePdfReport(records, facts)) << said();
        return QString::fromStdString(file.savedPath().string());
    }

    std::string said() const {
        std::string all;
        for (const auto& m : messages_.messages) {
            all += m.text + "\n";
        }
        return all;
    }

    QTemporaryDir dir_;
    test::RecordingMessageSink messages_;
};

TEST_F(PdfReportTest, EveryRecordsLinesComeOutInOrderWithTheKneeLines) {
    const std::vector<TestRecord> records{
        record("Pick Up\n AC-I1", "2024-05-14 08:14:05",
               "Pick up:  1.002A\nDrop off:  0.953A\nRatio:  0.951"),
        record("CT Test\nExcitation Curve", "2024-05-14 10:26:41",
               "0.005A/20.100V   0.010A/45.300V\n0.020A/82.600V   0.040A/121.800V\n"
               "0.080A/148.900V   0.150A/163.200V\n0.300A/172.500V   0.600A/178.900V\n",
               kDemoCurve),
        record("Auto Test\nShot\n AC-I1", "2024-05-14 10:40:00", ""),
        record("Advanced\nSynchronizing", "2024-05-14 11:28:36",
               "Trip U1:  57.32V\n     U2:  56.10V\nDelta Angl:  9.8\xC2\xB0"),
    };
    const QString pdf =
        write(records, DownloadFacts("2026-12-10 14:03:22 UTC+01:00", "/dev/ttyUSB0", 7));
    const QStringList lines = test::normalisedLines(test::pdfText(pdf));
    ASSERT_FALSE(lines.isEmpty());

    QStringList wanted{"Varne Series Relay Tester Test Report",
                       "Downloaded",
                       "2026-12-10 14:03:22 UTC+01:00",
                       "Port",
                       "/dev/ttyUSB0",
                       "Handshake value 7"};
    for (std::size_t k = 0; k < records.size(); ++k) {
        wanted << QString::number(k + 1);
        for (const auto* text : {&records[k].heading, &records[k].date, &records[k].result}) {
            wanted << test::normalisedLines(QString::fromStdString(*text));
        }
        if (k == 1) {
            wanted << "Knee point (IEC 61869-2): 138.4 V at 0.0622 A";
        }
    }
    QString missing;
    EXPECT_TRUE(test::containsInOrder(lines, wanted, missing))
        << "not in order: " << missing.toStdString() << "\n"
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains("Delta Angl: 9.8\xC2\xB0") ||
                lines.filter(QString::fromUtf8("Delta Angl: 9.8\xC2\xB0")).size() == 1);

    const auto info = test::pdfInfo(pdf);
    EXPECT_EQ(info.at("Pages").toStdString(), "1");
    EXPECT_EQ(info.at("Page size").toStdString(), "595 x 842 pts (A4)");
    EXPECT_EQ(info.at("Title").toStdString(), "Varne Series Relay Tester Test Report");
    EXPECT_TRUE(lines.back().contains("page 1 of 1")) << lines.back().toStdString();
}

TEST_F(PdfReportTest, FontsAreEmbeddedDejaVuAndPlotsAreVectorDrawing) {
    const QString pdf = write(
        {record("CT Test\nExcitation Curve", "2024-05-14 10:26:41", "0.005A/20.100V", kDemoCurve)},
        SavedImageFacts("demo.bin", 7));
    const QStringList fonts = test::pdfFonts(pdf);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts) {
        EXPECT_TRUE(font.contains("DejaVu")) << font.toStdString();
        // name type encoding emb sub uni object ID
        const QStringList fields = font.split(' ', Qt::SkipEmptyParts);
        ASSERT_GE(fields.size(), 7);
        EXPECT_EQ(fields[fields.size() - 5], "yes") << "embedded: " << font.toStdString();
    }
    const test::ProcessResult images = test::runProgram("pdfimages", {"-list", pdf}, QString());
    ASSERT_EQ(images.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(images.out).split('\n', Qt::SkipEmptyParts).size(), 2)
        << "no images beyond the header lines:\n"
        << images.out.constData();
}

TEST_F(PdfReportTest, BadCurvesGetWhatCanBeDrawnAndNoKnee) {
    struct Case {
        const char* name;
        std::vector<CurvePoint> curve;
        bool plotted;
    };
    const std::vector<Case> cases{
        {"zeros", {{0, 0}, {0, 0}, {0, 0}}, false},
        {"NaN and infinite", {{kNaN, 10}, {kInf, 20}, {0.1f, kNaN}, {0.2f, kInf}}, false},
        {"one point", {{0.01f, 50}}, false},
        {"out of order", {{0.6f, 178.9f}, {0.005f, 20.1f}, {0.3f, 170}, {0.2f, 175}}, true},
        {"falling current", {{0.5f, 10}, {0.1f, 100}, {0.01f, 1000}}, true},
        {"one voltage", {{0.01f, 100}, {0.02f, 100}, {0.04f, 100}}, true},
        {"extremes", {{1e-30f, 1e-20f}, {1e30f, 1e35f}}, true},
        {"empty", {}, false},
    };
    std::vector<TestRecord> records;
    int plots = 0;
    for (const Case& c : cases) {
        TestRecord r = record("CT Test\nExcitation Curve", "2024-05-14 10:26:41", c.name, c.curve);
        r.type = 5;
        r.subtype = 3;
        records.push_back(r);
        plots += c.plotted ? 1 : 0;
    }
    const QString pdf = write(records, SavedImageFacts("bad.bin", 7));
    const QString text = test::pdfText(pdf);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(text.count("Knee point (IEC 61869-2): none within the measured points"),
              static_cast<qsizetype>(cases.size()));
    EXPECT_EQ(text.count("Exciting current (A)"), plots);
    QString missing;
    QStringList names;
    for (const Case& c : cases) {
        names << c.name;
    }
    EXPECT_TRUE(test::containsInOrder(test::normalisedLines(text), names, missing))
        << missing.toStdString();
}

TEST_F(PdfReportTest, ManyRecordsRunOverPagesNumberedNofM) {
    std::vector<TestRecord> records;
    for (int k = 0; k < 30; ++k) {
        records.push_back(k % 3 == 0 ? record("CT Test\nExcitation Curve", "2024-05-14 10:26:41",
                                              "curve " + std::to_string(k + 1), kDemoCurve)
                                     : record("Pick Up\n AC-I1", "2024-05-14 08:14:05",
                                              "Pick up:  1.002A\nrecord " + std::to_string(k + 1)));
    }
    const QString pdf = write(records, ExportFacts("--kind 'CT Test'", records.size()));
    const int pages = test::pdfInfo(pdf).at("Pages").toInt();
    EXPECT_GE(pages, 3);
    const QString text = test::pdfText(pdf);
    const QStringList pageTexts = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), pages);
    for (int n = 1; n <= pages; ++n) {
        EXPECT_TRUE(pageTexts[n - 1].contains(QString("page %1 of %2").arg(n).arg(pages)));
        EXPECT_TRUE(pageTexts[n - 1].contains(QString("Varne Report ") + VARNE_VERSION));
    }
    QStringList wanted{"Filters", "--kind 'CT Test'", "Records 30"};
    for (int k = 0; k < 30; ++k) {
        wanted << (k % 3 == 0 ? QString("curve %1").arg(k + 1) : QString("record %1").arg(k + 1));
    }
    QString missing;
    EXPECT_TRUE(test::containsInOrder(test::normalisedLines(text), wanted, missing))
        << missing.toStdString();
    EXPECT_EQ(text.count("Knee point (IEC 61869-2): 138.4 V at 0.0622 A"), 10);
}

TEST_F(PdfReportTest, NeverOverwritesAnEarlierReportAndReplacesANamedFileWhole) {
    PdfReportOptions options;
    options.outputDirectory = dir_.filePath("Varne_Report").toStdString();
    const auto now = std::chrono::system_clock::now();
    options.clock = [now] { return now; };
    const std::vector<TestRecord> records{record("Pick Up\n AC-I1", "2024-05-14 08:14:05", "x")};
    const QString first = write(records, {}, options);
    const QByteArray firstBytes = test::readFile(first);
    const QString second = write(records, {}, options);
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.endsWith("_2.pdf")) << second.toStdString();
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith("Varne_Report_"));
    EXPECT_EQ(test::readFile(first), firstBytes);
    EXPECT_EQ(QDir(dir_.filePath("Varne_Report")).entryList(QDir::Files).size(), 2)
        << "no temporary file left behind";

    PdfReportOptions named;
    named.outputFile = dir_.filePath("named.pdf").toStdString();
    test::writeFile(dir_.filePath("named.pdf"), "old");
    EXPECT_EQ(write(records, {}, named), dir_.filePath("named.pdf"));
    EXPECT_TRUE(test::readFile(dir_.filePath("named.pdf")).startsWith("%PDF-"));
}

TEST_F(PdfReportTest, AReportThatCannotBeSavedIsToldAndLeavesNothing) {
    test::writeFile(dir_.filePath("file"), "not a directory");
    PdfReportOptions options;
    options.outputDirectory = dir_.filePath("file/Varne_Report").toStdString();
    PdfReportFile file(messages_, options);
    EXPECT_FALSE(file.WritePdfReport(std::vector<TestRecord>{record("Pick Up", "d", "r")}, {}));
    EXPECT_TRUE(file.savedPath().empty());
    EXPECT_TRUE(said().find("The PDF report could not be saved") != std::string::npos) << said();
    EXPECT_EQ(test::readFile(dir_.filePath("file")), "not a directory");
}

} // namespace
} // namespace varne
