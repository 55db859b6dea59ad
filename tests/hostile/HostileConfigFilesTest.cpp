#include "base/ConfigFiles.h"
#include "report/ReportDriver.h"
#include "report/ReportImageBuilder.h"
#include "report/WordReport.h"
#include "support/RecordingMessageSink.h"
#include "word/DocxFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;

// Options that save the report to exactly `file` and open nothing.
WordReportOptions writingTo(const fs::path& file) {
    WordReportOptions options;
    options.outputFile = file;
    return options;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string binaryJunk(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string junk(size, '\0');
    for (auto& c : junk) {
        c = static_cast<char>(byte(generator));
    }
    return junk;
}

class HostileConfigFilesTest : public ::testing::Test {
protected:
    HostileConfigFilesTest() {
        fs::create_directories(directory_.path() / "Configure");
        paths_ = BuildPaths(directory_.path());
    }

    test::TemporaryDirectory directory_;
    ConfigPaths paths_;
    test::RecordingMessageSink messages_;
};

TEST_F(HostileConfigFilesTest, OddLabelFilesFillTheTableByPositionAndKeepTheirBytes) {
    std::string tenThousandLines;
    for (int i = 0; i < 10000; ++i) {
        tenThousandLines += "L" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
    }
    const std::string megabyte(1 << 20, 'x');
    struct Case {
        std::string name;
        std::string file;
        std::vector<std::string> entries; // the leading entries; all later ones stay empty
        bool warnsAboutExtraValues = false;
    };
    const std::vector<Case> cases = {
        {"one line of 1 MB", "A=" + megabyte, {megabyte}},
        {"one line of 1 MB without a key", megabyte + "\r\n", {megabyte}},
        {"NUL bytes",
         std::string("He\0ad=Na\0me\nDate=\0\n*\n", 22),
         {std::string("Na\0me", 5), std::string("\0", 1)}},
        {"invalid UTF-8", "\xFF\xFE=\xC3\x28\n\x80\xBF\xF5\n*\n", {"\xC3\x28", "\x80\xBF\xF5"}},
        {"10,000 lines", tenThousandLines, {"v0", "v1"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(paths_.labelPath, c.file);
        Configuration config;
        messages_.messages.clear();
        testing::internal::CaptureStderr();
        ReadConfigFiles(paths_, config, messages_);
        const std::string warnings = testing::internal::GetCapturedStderr();

        EXPECT_TRUE(messages_.messages.empty());
        EXPECT_EQ(config.m_strDevice2, "\\Device\\slabser0");
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(config.m_strLabel[i], c.entries[i]) << "entry " << i;
        }
        if (c.warnsAboutExtraValues) {
            EXPECT_EQ(config.m_strLabel.back(), "v149");
            EXPECT_NE(warnings.find("9850 value(s) beyond the 150 labels"), std::string::npos)
                << warnings;
        } else {
            for (std::size_t i = c.entries.size(); i < kLabelCount; ++i) {
                EXPECT_EQ(config.m_strLabel[i], "") << "entry " << i;
            }
            EXPECT_EQ(warnings, "");
        }
    }
}

TEST_F(HostileConfigFilesTest, APortFileOfBinaryJunkNamesNoPort) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        writeFile(paths_.portFilePath, binaryJunk(4096, seed));
        Configuration config;
        config.m_strFilePort = "stale";
        ReadConfigFiles(paths_, config, messages_);
        EXPECT_EQ(config.m_strFilePort, "");
    }
    // Junk between the markers is no port name anyone could open, but it is what the file
    // says: the serial driver then fails to open it and says so.
    std::string junkName = binaryJunk(64, 4);
    std::erase(junkName, '\n');
    std::erase(junkName, '\r');
    writeFile(paths_.portFilePath, "COMSTART\n" + junkName + "\nCOMEND\n");
    Configuration config;
    ReadConfigFiles(paths_, config, messages_);
    EXPECT_EQ(config.m_strFilePort, junkName);
}

// Labels with NUL bytes, invalid UTF-8 or a megabyte of text name no bookmark: the Word report is
// still written, well-formed, with the other bookmarks filled.
TEST_F(HostileConfigFilesTest, HostileLabelsGiveAWellFormedWordReport) {
    LabelTable labels;
    labels[0] = std::string("Heading1\0junk", 13);
    labels[1] = "\xFF\xFE\xC3\x28";
    labels[2] = std::string(1 << 20, 'R');
    labels[3] = "Heading2";
    labels[4] = "Date2";
    labels[5] = "Result2";

    ReportImageBuilder builder;
    builder.entry(0, {.year = 21, .testType = 1}).entry(1, {.year = 22, .testType = 1});
    const auto image = builder.image();
    const fs::path output = directory_.path() / "Varne_Report.docx";
    CWordReport word(messages_, writingTo(output));
    ReportJob job;
    job.image = image;
    job.output = ReportOutput::Word;
    job.templatePath = test::ShippedTemplate();
    job.labels = &labels;
    job.wordWriter = &word;
    RecordTexts texts;

    ASSERT_EQ(WriteReport(job, texts, messages_), WriteReportResult::Written);
    ASSERT_EQ(texts.m_nRecordCount, 2u);

    pugi::xml_document filled;
    ASSERT_TRUE(test::LoadDocumentXml(output, filled));
    pugi::xml_document shipped;
    ASSERT_TRUE(test::LoadDocumentXml(test::ShippedTemplate(), shipped));
    for (const std::string name : {"Heading1", "Date1", "Result1"}) {
        EXPECT_EQ(test::ParagraphText(test::BookmarkParagraph(filled, name)),
                  test::ParagraphText(test::BookmarkParagraph(shipped, name)))
            << name;
    }
    EXPECT_NE(test::ParagraphText(test::BookmarkParagraph(filled, "Heading2")),
              test::ParagraphText(test::BookmarkParagraph(shipped, "Heading2")));
}

} // namespace
} // namespace varne
