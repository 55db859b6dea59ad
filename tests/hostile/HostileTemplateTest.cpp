#include "report/ReportDriver.h"
#include "report/ReportImageBuilder.h"
#include "report/WordReport.h"
#include "support/RecordingMessageSink.h"
#include "word/DocxFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;
using test::RecordedMessage;

// Options that save the report to exactly `file` and open nothing.
WordReportOptions writingTo(const fs::path& file) {
    WordReportOptions options;
    options.outputFile = file;
    return options;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<fs::path> filesIn(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        files.push_back(entry.path().filename());
    }
    std::ranges::sort(files);
    return files;
}

constexpr auto kDocumentStart =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";

class HostileTemplateTest : public ::testing::Test {
protected:
    HostileTemplateTest() {
        fs::create_directories(templates());
        fs::create_directories(reports());
    }

    fs::path templates() const { return directory_.path() / "templates"; }
    fs::path reports() const { return directory_.path() / "reports"; }

    // A package like the shipped template whose main part is `documentXml`.
    fs::path withDocumentXml(const std::string& name, const std::string& documentXml) const {
        auto entries = test::ReadZipEntries(test::ShippedTemplate());
        entries["word/document.xml"] = documentXml;
        const auto path = templates() / name;
        test::WriteZip(path, entries);
        return path;
    }

    test::TemporaryDirectory directory_;
    test::RecordingMessageSink messages_;
};

TEST_F(HostileTemplateTest, AnUnusableTemplateIsToldAndTheEarlierReportStaysByteForByte) {
    const std::string shipped = readFile(test::ShippedTemplate());
    const auto notZip = templates() / "not-a-zip.docx";
    writeFile(notZip, "PK\x03\x04 but nothing of a zip after the signature");
    const auto truncated = templates() / "truncated.docx";
    writeFile(truncated, shipped.substr(0, shipped.size() / 2));
    const auto empty = templates() / "empty.docx";
    writeFile(empty, "");
    auto withoutDocument = test::ReadZipEntries(test::ShippedTemplate());
    withoutDocument.erase("word/document.xml");
    const auto noDocument = templates() / "no-document.docx";
    test::WriteZip(noDocument, withoutDocument);
    const auto unclosed = withDocumentXml("unclosed.docx", std::string(kDocumentStart) + "<w:p>");
    const auto binaryXml =
        withDocumentXml("binary.docx", std::string("\0\xFF\xFE<w:document/>", 17));
    const auto noElement = withDocumentXml("no-element.docx", "<?xml version=\"1.0\"?>");

    ReportImageBuilder builder;
    builder.entry(0, {.year = 21, .testType = 1});
    const auto image = builder.image();
    LabelTable labels;
    labels[0] = "Heading1";
    const fs::path earlierReport = reports() / "Varne_Report.docx";
    const std::string earlierBytes = shipped + "earlier";

    for (const auto& templatePath :
         {notZip, truncated, empty, noDocument, unclosed, binaryXml, noElement}) {
        SCOPED_TRACE(templatePath.filename());
        writeFile(earlierReport, earlierBytes);
        messages_.messages.clear();
        CWordReport word(messages_, writingTo(earlierReport));
        ReportJob job;
        job.image = image;
        job.output = ReportOutput::Word;
        job.templatePath = templatePath;
        job.labels = &labels;
        job.wordWriter = &word;
        RecordTexts texts;

        EXPECT_EQ(WriteReport(job, texts, messages_), WriteReportResult::CannotWrite);
        EXPECT_EQ(messages_.messages,
                  (std::vector<RecordedMessage>{
                      {"", "Please close the Varne_Report.doc", MessageKind::Error}}));
        EXPECT_EQ(readFile(earlierReport), earlierBytes);
        EXPECT_EQ(filesIn(reports()), std::vector<fs::path>{"Varne_Report.docx"});
        EXPECT_TRUE(word.savedPath().empty());
    }
}

// Word gives the first bookmark of a name; a template made by hand may repeat names, in any case.
TEST_F(HostileTemplateTest, OfBookmarksSharingANameOnlyTheFirstIsFilled) {
    const auto paragraph = [](const std::string& name, int id, const std::string& text) {
        return "<w:p><w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name +
               "\"/><w:r><w:t>" + text + "</w:t></w:r><w:bookmarkEnd w:id=\"" + std::to_string(id) +
               "\"/></w:p>";
    };
    const auto templatePath = withDocumentXml(
        "duplicates.docx", std::string(kDocumentStart) + paragraph("Heading1", 1, "first") +
                               paragraph("Heading1", 2, "second") +
                               paragraph("HEADING1", 3, "third") + "</w:body></w:document>");
    const fs::path output = reports() / "Varne_Report.docx";
    CWordReport word(messages_, writingTo(output));
    word.SetTemplatePath(templatePath);
    ASSERT_EQ(word.OpenDocument(), 1);
    word.FillLabel("heading1", "filled");
    word.FillLabel("Heading1", "filled again");
    word.ShowDocument();

    pugi::xml_document document;
    ASSERT_TRUE(test::LoadDocumentXml(output, document));
    std::vector<std::string> texts;
    for (const auto& p : document.document_element().child("w:body").children("w:p")) {
        texts.push_back(test::ParagraphText(p));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"filled again", "second", "third"}));
}

// When the main part lies behind most of the package, writing the new package shares the bytes in
// front of it with the template; the template read into memory must survive that, for one
// report and the next.
TEST_F(HostileTemplateTest, AMainPartBehindMostOfThePackageIsReplacedAndTheTemplateKept) {
    auto entries = test::ReadZipEntries(test::ShippedTemplate());
    std::mt19937 generator(7);
    std::string padding(256 * 1024, '\0');
    for (auto& c : padding) {
        c = static_cast<char>(generator());
    }
    // Sorted before word/document.xml, and too random to shrink when compressed.
    entries["customXml/padding.bin"] = padding;
    const auto templatePath = templates() / "main-part-behind.docx";
    test::WriteZip(templatePath, entries);

    CWordReport word(messages_, writingTo(reports() / "Varne_Report.docx"));
    word.SetTemplatePath(templatePath);
    for (const std::string text : {"first", "second"}) {
        SCOPED_TRACE(text);
        ASSERT_EQ(word.OpenDocument(), 1);
        word.FillLabel("Heading1", text);
        word.ShowDocument();
        ASSERT_EQ(word.savedPath(), reports() / "Varne_Report.docx");

        const auto saved = test::ReadZipEntries(word.savedPath());
        EXPECT_EQ(saved.at("customXml/padding.bin"), padding);
        pugi::xml_document document;
        ASSERT_TRUE(test::LoadDocumentXml(word.savedPath(), document));
        EXPECT_EQ(test::ParagraphText(test::BookmarkParagraph(document, "Heading1")), text);
    }
}

} // namespace
} // namespace varne
