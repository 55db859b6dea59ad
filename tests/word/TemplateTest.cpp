#include "DocxFiles.h"
#include "report/WordReport.h"
#include "support/RecordingMessageSink.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace varne {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    std::string output;
};

RunResult run(const QString& program, const QStringList& arguments, int timeoutMs = 180000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    RunResult result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitCode();
    result.output = process.readAll().toStdString();
    return result;
}

QString qpath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

QString officeProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

// Converts with LibreOffice in a profile of the test's own.
RunResult officeConvert(const fs::path& input, const QString& format, const fs::path& outDir,
                        const fs::path& profile) {
    return run(officeProgram(), {QStringLiteral("-env:UserInstallation=") +
                                     QUrl::fromLocalFile(qpath(profile)).toString(),
                                 QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                 QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"),
                                 qpath(outDir), qpath(input)});
}

TEST(WordTemplateTest, RegeneratingFromItsSourceGivesTheShippedTemplate) {
    test::TemporaryDirectory directory;
    const auto regenerated = directory.path() / "Varne_Report.docx";
    const auto result =
        run(QStringLiteral(VARNE_MAKE_TEMPLATE),
            {qpath(test::SourceDirectory() / "res" / "template"), qpath(regenerated)});
    ASSERT_TRUE(result.finished && result.exitCode == 0) << result.output;

    const auto shipped = test::ReadZipEntries(test::ShippedTemplate());
    EXPECT_EQ(test::ReadZipEntries(regenerated), shipped)
        << "res/Configure/Varne_Report.docx is out of date: regenerate it with "
           "varne_make_template res/template res/Configure/Varne_Report.docx";
    EXPECT_EQ(shipped.size(), 9u);
}

TEST(WordTemplateTest, AFilledReportOpensInAWordProcessor) {
    if (officeProgram().isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui "
                        "to check that a word processor opens the report";
    }
    test::TemporaryDirectory directory;
    test::RecordingMessageSink messages;
    WordReportOptions options;
    options.outputFile = directory.path() / "report.docx";
    CWordReport report(messages, options);
    report.SetTemplatePath(test::ShippedTemplate());
    ASSERT_EQ(report.OpenDocument(), 1);
    for (int n = 1; n <= 30; ++n) {
        report.FillLabel("Heading" + std::to_string(n), "Pick Up\n AC-I1");
        report.FillLabel("Date" + std::to_string(n), "2021-03-09 14:07:30");
        report.FillLabel("Result" + std::to_string(n), "Angle: 30.0\xA1\xE3\nTrip: 0.02s\n");
    }
    report.ShowDocument();
    ASSERT_TRUE(fs::is_regular_file(options.outputFile));

    const auto result = officeConvert(options.outputFile, QStringLiteral("pdf"), directory.path(),
                                      directory.path() / "profile");
    const auto pdf = directory.path() / "report.pdf";
    ASSERT_TRUE(result.finished && fs::is_regular_file(pdf)) << result.output;
    std::ifstream in(pdf, std::ios::binary);
    std::string magic(5, '\0');
    in.read(magic.data(), 5);
    EXPECT_EQ(magic, "%PDF-");
}

TEST(LegacyTemplateTest, WithoutLibreOfficeAnOldTemplateIsToldAsUnusable) {
    test::TemporaryDirectory directory;
    const auto configure = directory.path() / "Configure";
    fs::create_directories(configure);
    std::ofstream(configure / "Varne_Report.doc") << "an old binary template";
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "", 1);

    test::RecordingMessageSink messages;
    WordReportOptions options;
    options.outputDirectory = directory.path() / "Varne_Report";
    options.legacyCacheDirectory = directory.path() / "cache";
    CWordReport report(messages, options);
    report.SetTemplatePath(configure / "Varne_Report.docx");
    const int opened = report.OpenDocument();
    report.ShowDocument();
    setenv("PATH", savedPath.c_str(), 1);

    EXPECT_EQ(opened, 0);
    EXPECT_EQ(messages.messages,
              (std::vector<test::RecordedMessage>{
                  {"", "Please close the Varne_Report.doc", MessageKind::Error}}));
    EXPECT_FALSE(fs::exists(options.outputDirectory));
}

TEST(LegacyTemplateTest, AnOldTemplateIsConvertedOnceIntoTheCacheUntilItChanges) {
    if (officeProgram().isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; it converts .doc templates";
    }
    test::TemporaryDirectory directory;
    const auto configure = directory.path() / "Configure";
    fs::create_directories(configure);
    const auto made = officeConvert(test::ShippedTemplate(), QStringLiteral("doc:MS Word 97"),
                                    configure, directory.path() / "profile");
    const auto doc = configure / "Varne_Report.doc";
    ASSERT_TRUE(made.finished && fs::is_regular_file(doc)) << made.output;

    test::RecordingMessageSink messages;
    WordReportOptions options;
    options.outputFile = directory.path() / "report.docx";
    options.legacyCacheDirectory = directory.path() / "cache";
    CWordReport report(messages, options);
    report.SetTemplatePath(configure / "Varne_Report.docx");

    const auto fillAndRead = [&](const std::string& text) {
        EXPECT_EQ(report.OpenDocument(), 1);
        report.FillLabel("Heading2", text);
        report.ShowDocument();
        pugi::xml_document document;
        EXPECT_TRUE(test::LoadDocumentXml(options.outputFile, document));
        return test::ParagraphText(test::BookmarkParagraph(document, "Heading2"));
    };
    const auto cachedCopies = [&] {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(options.legacyCacheDirectory)) {
            if (entry.path().extension() == ".docx") {
                found.push_back(entry.path());
            }
        }
        return found;
    };

    EXPECT_EQ(fillAndRead("first"), "first");
    const auto copies = cachedCopies();
    ASSERT_EQ(copies.size(), 1u);
    const auto convertedAt = fs::last_write_time(copies[0]);

    EXPECT_EQ(fillAndRead("second"), "second");
    EXPECT_EQ(fs::last_write_time(copies[0]), convertedAt) << "the cached copy is used again";

    fs::last_write_time(doc, fs::last_write_time(doc) + std::chrono::seconds(5));
    EXPECT_EQ(fillAndRead("third"), "third");
    EXPECT_NE(fs::last_write_time(copies[0]), convertedAt) << "a changed .doc is converted anew";

    EXPECT_EQ(std::distance(fs::directory_iterator(configure), fs::directory_iterator{}), 1)
        << "Configure/ holds only the .doc";
    for (const auto& message : messages.messages) {
        EXPECT_EQ(message.kind, MessageKind::Information) << message.text;
    }
}

} // namespace
} // namespace varne
