#include "report/ReportDriver.h"

#include "report/ReportImageBuilder.h"
#include "report/WordReportWriter.h"
#include "support/RecordingMessageSink.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;
using test::RecordedMessage;
using test::RecordingMessageSink;

const std::string kHeader =
    "---------------------Varne Series Relay Tester Test Report--------------------\r\n";
const std::string kSeparator =
    "-------------------------------------------------------------------\r\n";

class FakeWordWriter : public WordReportWriter {
public:
    void SetTemplatePath(const fs::path& path) override {
        calls.push_back("template " + path.string());
    }
    int OpenDocument() override {
        calls.emplace_back("open");
        return openResult;
    }
    bool FillLabel(const std::string& name, const std::string& text) override {
        calls.push_back("fill " + name + "=" + text);
        return fillResult;
    }
    bool ShowDocument() override {
        calls.emplace_back("show");
        return saveResult;
    }

    int openResult = 1;
    bool fillResult = true;
    bool saveResult = true;
    std::vector<std::string> calls;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ReportDriverTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("varne-report-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            labels_[i] = "L" + std::to_string(i);
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    WriteReportResult run(const std::vector<std::uint8_t>& bytes, ReportOutput output,
                          std::uint8_t handshake = 7) {
        payload_ = bytes;
        ReportJob job;
        job.image = payload_;
        job.handshakeValue = handshake;
        job.output = output;
        job.textReportPath = reportPath();
        job.templatePath = dir_ / "Configure" / "Varne_Report.docx";
        job.labels = &labels_;
        job.wordWriter = &word_;
        return WriteReport(job, texts_, messages_);
    }
    fs::path reportPath() const { return dir_ / "Varne_Report" / "Varne_Report.txt"; }

    fs::path dir_;
    std::vector<std::uint8_t> payload_;
    LabelTable labels_;
    FakeWordWriter word_;
    RecordTexts texts_;
    RecordingMessageSink messages_;
};

TEST_F(ReportDriverTest, WritesTwoRecordsByteForByte) {
    ReportImageBuilder builder;
    builder.entry(3, {21, 3, 9, 14, 7, 30, 0, 0, 0})
        .floatAt(656, 1.5f)
        .floatAt(660, 1.25f)
        .floatAt(664, 0.75f)
        .entry(17, {22, 12, 31, 23, 59, 58, 8, 4, 0})
        .floatAt(1360, 0.5f)
        .floatAt(1364, 0.125f);

    EXPECT_EQ(run(builder.replyPayload(), ReportOutput::Text), WriteReportResult::Written);

    const std::string expected = kHeader + kSeparator +
                                 "Pick Up\r\n AC-I1\r\n2021-03-09 14:07:30\r\n"
                                 "Pick up:  1.500A\r\nDrop off:  1.250A\r\nRatio:  0.750\r\n" +
                                 kSeparator +
                                 "Advanced\r\nRecloseing\r\n2022-12-31 23:59:58\r\n"
                                 "Time:  0.500s\r\nPulse:  0.125s\r\n\r\n" +
                                 kSeparator;
    EXPECT_EQ(readFile(reportPath()), expected);
    EXPECT_EQ(texts_.m_nRecordCount, 2u);
    EXPECT_TRUE(word_.calls.empty());
    const std::vector<RecordedMessage> shown{{"Save Success!!!",
                                              "Txt report save as " + reportPath().string(),
                                              MessageKind::Information}};
    EXPECT_EQ(messages_.messages, shown);
}

TEST_F(ReportDriverTest, KeepsTheDegreeSignBytesAndEmptyResultLines) {
    ReportImageBuilder builder;
    builder.entry(0, {23, 1, 2, 3, 4, 5, 8, 2, 0})
        .values(0, 999999.0f, 999999.0f, 30.0f)
        .entry(1, {23, 1, 2, 3, 4, 6, 10, 1, 0})
        .values(1, 2.0f, 17.0f, 0.5f);

    ASSERT_EQ(run(builder.image(), ReportOutput::Text), WriteReportResult::Written);

    const std::string expected =
        kHeader + kSeparator +
        "Advanced\r\nSynchronizing\r\n2023-01-02 03:04:05\r\n"
        "Delta Angl:  30.0\xA1\xE3\r\n" +
        kSeparator + "Auto Test\r\nShot\r\n AC-U1\r\n2023-01-02 03:04:06\r\n\r\n" + kSeparator;
    EXPECT_EQ(readFile(reportPath()), expected);
}

TEST_F(ReportDriverTest, ASecondShorterReportWritesOnlyItsOwnRecords) {
    ReportImageBuilder first;
    for (std::size_t i = 0; i < 30; ++i) {
        first.entry(i, {1, 1, 1, 0, 0, 0, 2, 0, 0}).values(i, 1.0f, 0, 0);
    }
    ASSERT_EQ(run(first.image(), ReportOutput::Text), WriteReportResult::Written);
    EXPECT_EQ(texts_.m_nRecordCount, 30u);

    ReportImageBuilder second;
    second.entry(29, {2, 2, 2, 0, 0, 0, 4, 0, 0}).values(29, 0.25f, 0, 0);
    ASSERT_EQ(run(second.image(), ReportOutput::Text), WriteReportResult::Written);

    EXPECT_EQ(texts_.m_nRecordCount, 1u);
    EXPECT_EQ(readFile(reportPath()), kHeader + kSeparator +
                                          "Timer\r\nSingle Channel T1\r\n2002-02-02 00:00:00\r\n"
                                          "Time:  0.250s\r\n" +
                                          kSeparator);
}

TEST_F(ReportDriverTest, NoRecordTouchesNothing) {
    ReportImageBuilder builder;
    builder.marker(0, 0xAB).marker(1, 0xFF);
    for (const ReportOutput output : {ReportOutput::Text, ReportOutput::Word}) {
        messages_.messages.clear();
        EXPECT_EQ(run(builder.replyPayload(), output), WriteReportResult::NoRecord);
        const std::vector<RecordedMessage> shown{
            {"", "Report is not found in the tester!!!", MessageKind::Warning}};
        EXPECT_EQ(messages_.messages, shown);
    }
    EXPECT_FALSE(fs::exists(reportPath().parent_path()));
    EXPECT_TRUE(word_.calls.empty());
}

TEST_F(ReportDriverTest, ShortImageIsRefusedAndTheEarlierReportKept) {
    ReportImageBuilder builder;
    builder.entry(29, {}).values(29, 1.0f, 1.0f, 1.0f);
    std::vector<std::uint8_t> bytes = builder.image();

    bytes.resize(ReportImage::kLayoutSize);
    ASSERT_EQ(run(bytes, ReportOutput::Text), WriteReportResult::Written);
    const std::string earlier = readFile(reportPath());

    for (const std::size_t size : {std::size_t{3583}, std::size_t{300}, std::size_t{0}}) {
        bytes.resize(size);
        messages_.messages.clear();
        EXPECT_EQ(run(bytes, ReportOutput::Text), WriteReportResult::ImageIncomplete);
        const std::vector<RecordedMessage> shown{
            {"", "report image is incomplete: " + std::to_string(size) + " of 3584 bytes",
             MessageKind::Error}};
        EXPECT_EQ(messages_.messages, shown);
    }
    EXPECT_EQ(readFile(reportPath()), earlier);
    EXPECT_EQ(run(bytes, ReportOutput::Word), WriteReportResult::ImageIncomplete);
    EXPECT_TRUE(word_.calls.empty());
}

TEST_F(ReportDriverTest, UnwritablePathIsReportedWithItsReason) {
    ReportImageBuilder builder;
    builder.entry(0, {});
    std::ofstream(dir_ / "Varne_Report") << "a file where the directory should be";

    EXPECT_EQ(run(builder.image(), ReportOutput::Text), WriteReportResult::CannotWrite);

    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(messages_.messages[0].kind, MessageKind::Error);
    EXPECT_NE(messages_.messages[0].text.find(reportPath().string()), std::string::npos)
        << messages_.messages[0].text;
}

TEST_F(ReportDriverTest, WordOutputFillsThreeLabelsPerRecordInOrder) {
    ReportImageBuilder builder;
    builder.entry(0, {24, 5, 6, 7, 8, 9, 2, 0, 0})
        .values(0, 0.5f, 0, 0)
        .entry(4, {24, 5, 6, 7, 8, 10, 13, 0, 0})
        .entry(9, {24, 5, 6, 7, 8, 11, 5, 1, 0})
        .values(9, 1000.0f, 0, 0);

    for (const int openResult : {1, 0}) {
        word_.calls.clear();
        word_.openResult = openResult;
        EXPECT_EQ(run(builder.image(), ReportOutput::Word),
                  openResult ? WriteReportResult::Written : WriteReportResult::CannotWrite);

        const std::vector<std::string> expected{
            "template " + (dir_ / "Configure" / "Varne_Report.docx").string(),
            "open",
            "fill L0=Trip Time\nAC-I1",
            "fill L1=2024-05-06 07:08:09",
            "fill L2=Trip Time:  0.500s",
            "fill L3=Unknown Test",
            "fill L4=2024-05-06 07:08:10",
            "fill L5=",
            "fill L6=CT Test\nPolarity",
            "fill L7=2024-05-06 07:08:11",
            "fill L8=Positive Polarity",
            "show",
        };
        EXPECT_EQ(word_.calls, expected);
    }
    EXPECT_FALSE(fs::exists(reportPath()));
    EXPECT_TRUE(messages_.messages.empty());
}

// A Word report that was not saved, or was saved without one result in it, is no success.
TEST_F(ReportDriverTest, WordOutputResultSaysWhetherTheResultsWereSaved) {
    ReportImageBuilder builder;
    builder.entry(0, {24, 5, 6, 7, 8, 9, 2, 0, 0}).values(0, 0.5f, 0, 0);
    struct Case {
        bool filled;
        bool saved;
        WriteReportResult result;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases{
        {true, true, WriteReportResult::Written, {}},
        {true, false, WriteReportResult::CannotWrite, {}},
        {false, false, WriteReportResult::CannotWrite, {}},
        {false, true, WriteReportResult::WordWithoutResults, {kWordReportWithoutResults}},
    };
    for (const Case& c : cases) {
        word_.fillResult = c.filled;
        word_.saveResult = c.saved;
        messages_.messages.clear();
        EXPECT_EQ(run(builder.image(), ReportOutput::Word), c.result) << c.filled << c.saved;
        std::vector<std::string> texts;
        for (const RecordedMessage& message : messages_.messages) {
            EXPECT_EQ(message.kind, MessageKind::Error);
            texts.push_back(message.text);
        }
        EXPECT_EQ(texts, c.messages) << c.filled << c.saved;
    }
}

} // namespace
} // namespace varne
