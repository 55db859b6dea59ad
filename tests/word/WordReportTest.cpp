#include "report/WordReport.h"

#include "DocxFiles.h"
#include "base/ConfigFiles.h"
#include "report/DocumentOpener.h"
#include "support/RecordingMessageSink.h"

#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;
using test::RecordedMessage;

class FakeOpener : public DocumentOpener {
public:
    explicit FakeOpener(OpenOutcome outcome) : outcome_(outcome) {}
    OpenOutcome Open(const fs::path& document) override {
        opened.push_back(document);
        return outcome_;
    }
    std::vector<fs::path> opened;

private:
    OpenOutcome outcome_;
};

// 2021-03-09 14:07:30 local time.
std::chrono::system_clock::time_point fixedTime() {
    std::tm local{};
    local.tm_year = 121;
    local.tm_mon = 2;
    local.tm_mday = 9;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_sec = 30;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

class WordReportTest : public ::testing::Test {
protected:
    WordReportOptions options(DocumentOpener* opener = nullptr) const {
        WordReportOptions result;
        result.outputDirectory = directory_.path() / "Varne_Report";
        result.clock = fixedTime;
        result.opener = opener;
        return result;
    }

    fs::path savedName(const std::string& suffix = "") const {
        return directory_.path() / "Varne_Report" /
               ("Varne_Report_20210309_140730" + suffix + ".docx");
    }

    // A package like the shipped template whose main part is `documentXml`.
    fs::path fixtureTemplate(const std::string& documentXml) const {
        auto entries = test::ReadZipEntries(test::ShippedTemplate());
        entries["word/document.xml"] = documentXml;
        const auto path = directory_.path() / "fixture.docx";
        test::WriteZip(path, entries);
        return path;
    }

    test::TemporaryDirectory directory_;
    test::RecordingMessageSink messages_;
};

std::string recordHeading(int k) {
    return "Pick Up\n AC-I" + std::to_string(k);
}
std::string recordDate(int k) {
    return "2021-03-09 14:07:" + std::to_string(10 + k);
}
std::string recordResult(int k) {
    return "Angle: " + std::to_string(k) + ".0\xA1\xE3\nTrip time: 0.02s\n";
}
std::string asWordText(std::string text) {
    for (auto at = text.find("\xA1\xE3"); at != std::string::npos; at = text.find("\xA1\xE3")) {
        text.replace(at, 2, "\u00B0");
    }
    return text;
}

TEST_F(WordReportTest, FillsEveryBookmarkOfTheShippedTemplateNamedByTheShippedLabels) {
    Configuration config;
    ReadConfigFiles(BuildPaths(test::SourceDirectory() / "res"), config, messages_);
    ASSERT_TRUE(messages_.messages.empty());

    CWordReport report(messages_, options());
    report.SetTemplatePath(test::ShippedTemplate());
    ASSERT_EQ(report.OpenDocument(), 1);
    for (int k = 0; k < 30; ++k) {
        const auto i = static_cast<std::size_t>(3 * k);
        report.FillLabel(config.m_strLabel[i], recordHeading(k));
        report.FillLabel(config.m_strLabel[i + 1], recordDate(k));
        report.FillLabel(config.m_strLabel[i + 2], recordResult(k));
    }
    report.ShowDocument();

    EXPECT_EQ(report.savedPath(), savedName());
    EXPECT_EQ(messages_.messages,
              (std::vector<RecordedMessage>{{"Save Success!!!",
                                             "Word report saved as " + savedName().string(),
                                             MessageKind::Information}}));
    pugi::xml_document document;
    ASSERT_TRUE(test::LoadDocumentXml(savedName(), document));
    for (int k = 0; k < 30; ++k) {
        const auto n = std::to_string(k + 1);
        const std::vector<std::pair<std::string, std::string>> fields = {
            {"Heading" + n, recordHeading(k)},
            {"Date" + n, recordDate(k)},
            {"Result" + n, asWordText(recordResult(k))},
        };
        for (const auto& [bookmark, text] : fields) {
            const auto paragraph = test::BookmarkParagraph(document, bookmark);
            ASSERT_TRUE(paragraph) << bookmark;
            EXPECT_EQ(test::ParagraphText(paragraph), text) << bookmark;
            // The text sits inside the bookmark, and the cell keeps its paragraph style.
            const auto start = paragraph.child("w:bookmarkStart");
            EXPECT_STREQ(start.next_sibling().name(), "w:r") << bookmark;
            EXPECT_STREQ(start.next_sibling().next_sibling().name(), "w:bookmarkEnd") << bookmark;
            EXPECT_STREQ(paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value(),
                         "TableText");
            for (const auto t : paragraph.select_nodes(".//w:t")) {
                EXPECT_EQ(std::string(t.node().text().get()).find('\n'), std::string::npos);
                EXPECT_STREQ(t.node().attribute("xml:space").value(), "preserve");
            }
        }
    }

    // Every part but the main document is the template's, byte for byte.
    auto produced = test::ReadZipEntries(savedName());
    auto shipped = test::ReadZipEntries(test::ShippedTemplate());
    produced.erase("word/document.xml");
    shipped.erase("word/document.xml");
    EXPECT_EQ(produced, shipped);
}

TEST_F(WordReportTest, ReplacesOnlyTheFirstParagraphWhereverTheBookmarkStarts) {
    const std::string xml =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        "\n"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
        R"(<w:p><w:pPr><w:jc w:val="center"/></w:pPr><w:bookmarkStart w:id="1" w:name="Span"/>)"
        R"(<w:r><w:rPr><w:b/></w:rPr><w:t>first</w:t></w:r><w:r><w:t>more</w:t></w:r></w:p>)"
        R"(<w:p><w:r><w:t>second</w:t></w:r><w:bookmarkEnd w:id="1"/></w:p>)"
        R"(<w:p><w:r><w:t>keep</w:t></w:r><w:r><w:t xml:space="preserve">   </w:t></w:r>)"
        R"(<w:r><w:t>this</w:t></w:r></w:p>)"
        R"(<w:bookmarkStart w:id="2" w:name="Body"/>)"
        R"(<w:p><w:r><w:t>body old</w:t></w:r><w:bookmarkEnd w:id="2"/></w:p>)"
        R"(<w:tbl><w:tr><w:bookmarkStart w:id="3" w:name="Row"/>)"
        R"(<w:tc><w:p><w:r><w:t>cell old</w:t></w:r></w:p></w:tc>)"
        R"(<w:tc><w:p><w:r><w:t>other cell</w:t></w:r><w:bookmarkEnd w:id="3"/></w:p></w:tc>)"
        R"(</w:tr></w:tbl>)"
        R"(<w:p><w:hyperlink w:anchor="x"><w:bookmarkStart w:id="4" w:name="Linked"/>)"
        R"(<w:r><w:t>link old</w:t></w:r></w:hyperlink><w:bookmarkEnd w:id="4"/></w:p>)"
        R"(<w:p><w:bookmarkStart w:id="5" w:name="Twice"/><w:r><w:t>one</w:t></w:r>)"
        R"(<w:bookmarkEnd w:id="5"/></w:p>)"
        R"(<w:p><w:bookmarkStart w:id="6" w:name="TWICE"/><w:r><w:t>two</w:t></w:r>)"
        R"(<w:bookmarkEnd w:id="6"/></w:p>)"
        R"(<w:sectPr/></w:body></w:document>)";
    CWordReport report(messages_, options());
    report.SetTemplatePath(fixtureTemplate(xml));
    ASSERT_EQ(report.OpenDocument(), 1);
    report.FillLabel("span", "new\ntext");
    report.FillLabel("Body", "body new");
    report.FillLabel("ROW", "row new");
    report.FillLabel("Linked", "link new");
    report.FillLabel("twice", "T");
    report.ShowDocument();

    pugi::xml_document document;
    ASSERT_TRUE(test::LoadDocumentXml(savedName(), document));
    const auto paragraphs = document.select_nodes("//w:p");
    std::vector<std::string> texts;
    for (const auto paragraph : paragraphs) {
        texts.push_back(test::ParagraphText(paragraph.node()));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"new\ntext", "second", "keep   this", "body new",
                                               "row new", "other cell", "link new", "T", "two"}));

    const auto span = paragraphs[0].node();
    EXPECT_TRUE(span.child("w:pPr").child("w:jc")) << "paragraph properties kept";
    EXPECT_TRUE(span.child("w:r").child("w:rPr").child("w:b")) << "first run's properties kept";
    EXPECT_EQ(span.select_nodes("w:r").size(), 1u);
    EXPECT_EQ(document.select_nodes("//w:bookmarkStart").size(), 6u);
    EXPECT_EQ(document.select_nodes("//w:bookmarkEnd").size(), 6u);
    EXPECT_TRUE(paragraphs[6].node().child("w:bookmarkStart")) << "marker lifted out of the link";
    EXPECT_FALSE(paragraphs[6].node().child("w:hyperlink"));
}

// A bookmark named beyond ASCII is found from a label file written on Linux (UTF-8) or on
// Windows (8-bit), also when the label differs from the name in the case of those letters.
TEST_F(WordReportTest, BookmarkNamesBeyondAsciiMatchUtf8And8BitLabels) {
    const std::string xml =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        "\n"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"\xC3\x9C"
        "berschrift1\"/>"
        R"(<w:r><w:t>old</w:t></w:r><w:bookmarkEnd w:id="1"/></w:p>)"
        R"(<w:sectPr/></w:body></w:document>)";
    const fs::path fixture = fixtureTemplate(xml);
    struct Case {
        const char* labelFile;
        const char* what;
    };
    const std::vector<Case> cases{
        {"\xC3\x9C"
         "berschrift1\n",
         "UTF-8, as named"},
        {"\xEF\xBB\xBF\xC3\xBC"
         "berschrift1\r\n",
         "UTF-8 with a byte-order mark, lower case"},
        {"\xDC"
         "berschrift1\r\n",
         "8-bit, as named"},
        {"\xFC"
         "berschrift1\n",
         "8-bit, lower case"},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::istringstream labelFile(c.labelFile);
        LabelEntries labels;
        ParseLabelFile(labelFile, labels);
        WordReportOptions reportOptions = options();
        reportOptions.outputFile = directory_.path() / ("out" + std::to_string(++n) + ".docx");
        CWordReport report(messages_, reportOptions);
        report.SetTemplatePath(fixture);
        ASSERT_EQ(report.OpenDocument(), 1);
        EXPECT_TRUE(report.FillLabel(labels[0], "Pick Up")) << c.what;
        ASSERT_TRUE(report.ShowDocument()) << c.what;

        pugi::xml_document document;
        ASSERT_TRUE(test::LoadDocumentXml(reportOptions.outputFile, document));
        EXPECT_EQ(test::ParagraphText(test::BookmarkParagraph(document, "\xC3\x9C"
                                                                        "berschrift1")),
                  "Pick Up")
            << c.what;
    }
    // Other letters stay other letters.
    CWordReport report(messages_, options());
    report.SetTemplatePath(fixture);
    ASSERT_EQ(report.OpenDocument(), 1);
    for (const char* label : {"Uberschrift1",
                              "\xC3\xA4"
                              "berschrift1",
                              "\xE4"
                              "berschrift1"}) {
        EXPECT_FALSE(report.FillLabel(label, "x")) << label;
    }
}

TEST_F(WordReportTest, UnknownAndEmptyLabelsChangeNothingAndLaterFillsGoOn) {
    for (const bool withUnknown : {true, false}) {
        WordReportOptions reportOptions = options();
        reportOptions.outputFile = directory_.path() / (withUnknown ? "a.docx" : "b.docx");
        CWordReport report(messages_, reportOptions);
        report.SetTemplatePath(test::ShippedTemplate());
        ASSERT_EQ(report.OpenDocument(), 1);
        if (withUnknown) {
            report.FillLabel("NoSuchBookmark", "x");
            report.FillLabel("", "x");
        }
        report.FillLabel("Date1", "2021-03-09 14:07:30");
        report.ShowDocument();
    }
    const auto a = test::ReadZipEntries(directory_.path() / "a.docx");
    const auto b = test::ReadZipEntries(directory_.path() / "b.docx");
    ASSERT_EQ(a.count("word/document.xml"), 1u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a.at("word/document.xml"),
              test::ReadZipEntries(test::ShippedTemplate()).at("word/document.xml"));
}

TEST_F(WordReportTest, AnUnusableTemplateIsToldAndNothingIsWritten) {
    const auto notZip = directory_.path() / "not-a-package.docx";
    std::ofstream(notZip) << "plain text";
    const auto noDocument = directory_.path() / "no-document.docx";
    test::WriteZip(noDocument, {{"[Content_Types].xml", "<Types/>"}});
    const auto badXml = fixtureTemplate("<w:document><w:body>");

    for (const auto& templatePath :
         {directory_.path() / "missing.docx", notZip, noDocument, badXml, directory_.path()}) {
        messages_.messages.clear();
        CWordReport report(messages_, options());
        report.SetTemplatePath(templatePath);
        EXPECT_EQ(report.OpenDocument(), 0) << templatePath;
        report.FillLabel("Heading1", "x");
        report.ShowDocument();
        EXPECT_EQ(messages_.messages,
                  (std::vector<RecordedMessage>{
                      {"", "Please close the Varne_Report.doc", MessageKind::Error}}))
            << templatePath;
        EXPECT_FALSE(fs::exists(directory_.path() / "Varne_Report")) << templatePath;
        EXPECT_TRUE(report.savedPath().empty());
    }
}

TEST_F(WordReportTest, AFailedOpenNeverTouchesTheEarlierReport) {
    CWordReport report(messages_, options());
    report.SetTemplatePath(test::ShippedTemplate());
    ASSERT_EQ(report.OpenDocument(), 1);
    report.FillLabel("Heading1", "first report");
    report.ShowDocument();
    const auto earlier = test::ReadZipEntries(savedName());

    report.SetTemplatePath(directory_.path() / "missing.docx");
    EXPECT_EQ(report.OpenDocument(), 0);
    report.FillLabel("Heading1", "second report");
    report.ShowDocument();

    EXPECT_EQ(test::ReadZipEntries(savedName()), earlier);
    EXPECT_FALSE(fs::exists(savedName("_2")));
    // A second ShowDocument without a new OpenDocument saves nothing either.
    report.ShowDocument();
    EXPECT_FALSE(fs::exists(savedName("_2")));
}

TEST_F(WordReportTest, ReportsSavedInTheSameSecondGetNamesOfTheirOwn) {
    CWordReport report(messages_, options());
    report.SetTemplatePath(test::ShippedTemplate());
    for (const std::string text : {"one", "two", "three"}) {
        ASSERT_EQ(report.OpenDocument(), 1);
        report.FillLabel("Heading1", text);
        report.ShowDocument();
    }
    for (const auto& [suffix, text] : std::vector<std::pair<std::string, std::string>>{
             {"", "one"}, {"_2", "two"}, {"_3", "three"}}) {
        pugi::xml_document document;
        ASSERT_TRUE(test::LoadDocumentXml(savedName(suffix), document)) << suffix;
        EXPECT_EQ(test::ParagraphText(test::BookmarkParagraph(document, "Heading1")), text);
    }
    EXPECT_EQ(report.savedPath(), savedName("_3"));
}

TEST_F(WordReportTest, AnExplicitOutputFileIsWrittenInPlaceOfATimestampedName) {
    WordReportOptions reportOptions = options();
    reportOptions.outputFile = directory_.path() / "out" / "report.docx";
    fs::create_directories(reportOptions.outputFile.parent_path());
    std::ofstream(reportOptions.outputFile) << "an older file of that name";
    CWordReport report(messages_, reportOptions);
    report.SetTemplatePath(test::ShippedTemplate());
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(report.OpenDocument(), 1);
        report.FillLabel("Result1", "run " + std::to_string(run));
        report.ShowDocument();
    }
    pugi::xml_document document;
    ASSERT_TRUE(test::LoadDocumentXml(reportOptions.outputFile, document));
    EXPECT_EQ(test::ParagraphText(test::BookmarkParagraph(document, "Result1")), "run 1");
    EXPECT_EQ(report.savedPath(), reportOptions.outputFile);
    EXPECT_FALSE(fs::exists(directory_.path() / "Varne_Report"));
}

TEST_F(WordReportTest, OpenerOutcomesAreToldAndTheReportStaysSaved) {
    struct Case {
        OpenOutcome outcome;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases = {
        {OpenOutcome::Opened, {}},
        {OpenOutcome::NoApplication, {"Word can't be found!!!"}},
        {OpenOutcome::Failed, {"Word  server failed!!!"}},
    };
    for (const auto& c : cases) {
        test::TemporaryDirectory output;
        messages_.messages.clear();
        FakeOpener opener(c.outcome);
        WordReportOptions reportOptions = options(&opener);
        reportOptions.outputDirectory = output.path();
        CWordReport report(messages_, reportOptions);
        report.SetTemplatePath(test::ShippedTemplate());
        ASSERT_EQ(report.OpenDocument(), 1);
        report.ShowDocument();

        const auto saved = output.path() / "Varne_Report_20210309_140730.docx";
        EXPECT_EQ(opener.opened, std::vector<fs::path>{saved});
        EXPECT_TRUE(fs::is_regular_file(saved));
        std::vector<RecordedMessage> expected;
        for (const auto& error : c.errors) {
            expected.push_back({"", error, MessageKind::Error});
        }
        expected.push_back({"Save Success!!!", "Word report saved as " + saved.string(),
                            MessageKind::Information});
        EXPECT_EQ(messages_.messages, expected);
    }
}

TEST_F(WordReportTest, ASaveFailureSaysWhereAndWhyAndOpensNothing) {
    FakeOpener opener(OpenOutcome::Opened);
    WordReportOptions reportOptions = options(&opener);
    reportOptions.outputDirectory = directory_.path() / "blocked";
    std::ofstream(reportOptions.outputDirectory) << "a file where the directory should be";
    CWordReport report(messages_, reportOptions);
    report.SetTemplatePath(test::ShippedTemplate());
    ASSERT_EQ(report.OpenDocument(), 1);
    report.ShowDocument();

    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(messages_.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages_.messages[0].text.starts_with("The Word report could not be saved: "));
    EXPECT_NE(messages_.messages[0].text.find(
                  (reportOptions.outputDirectory / "Varne_Report_20210309_140730.docx").string()),
              std::string::npos)
        << messages_.messages[0].text;
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(report.savedPath().empty());
}

} // namespace
} // namespace varne
