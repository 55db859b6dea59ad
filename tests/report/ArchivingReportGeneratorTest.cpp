#include "report/ArchivingReportGenerator.h"

#include "link/SharedState.h"
#include "report/ReportImageBuilder.h"
#include "support/RecordingMessageSink.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace varne {
namespace {

namespace fs = std::filesystem;

class ArchivingReportGeneratorTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("varne-archive-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_ / "raw", fs::perms::owner_all, ignored);
        fs::remove_all(dir_, ignored);
    }

    fs::path dir_;
};

// A raw/ folder the program cannot look into does not stop the report: the user is told that
// the download was not archived, and the report is written.
TEST_F(ArchivingReportGeneratorTest, AnUnsearchableArchiveStillGivesTheReport) {
    struct Case {
        const char* what;
        fs::path archive;
    };
    // A folder that can be made, but so deep that no name in it can be looked up (PATH_MAX),
    // whoever runs the test.
    constexpr std::size_t kArchiveLength = 4085;
    fs::path deep = dir_ / "deep";
    while (kArchiveLength - deep.native().size() > 250) {
        deep /= std::string(200, 'd');
    }
    deep /= std::string(kArchiveLength - deep.native().size() - 5, 'd');
    std::vector<Case> cases{{"too deep to name its files", deep / "raw"}};
    if (::geteuid() != 0) {
        // Without search permission (an administrator would still get in).
        cases.push_back({"not searchable", dir_ / "raw"});
        fs::create_directories(dir_ / "raw");
        fs::permissions(dir_ / "raw", fs::perms::owner_read | fs::perms::owner_write);
    }
    for (const Case& c : cases) {
        SharedState shared;
        ReportImageBuilder builder;
        builder.entry(3, {21, 3, 9, 14, 7, 30, 0, 0, 0}).values(3, 1.5f, 1.25f, 0.75f);
        ASSERT_TRUE(shared.reportImage.assign(builder.replyPayload()));
        shared.handshakeValue = 7;
        LabelTable labels;
        test::RecordingMessageSink messages;
        const fs::path report = dir_ / c.what / "Varne_Report.txt";
        ArchivingReportGenerator generator({shared,
                                            c.archive,
                                            report,
                                            {},
                                            labels,
                                            [] { return ReportOutput::Text; },
                                            {},
                                            {},
                                            messages});

        generator.WriteReport();

        EXPECT_EQ(generator.lastResult(), WriteReportResult::Written) << c.what;
        EXPECT_FALSE(generator.lastArchivedImage()) << c.what;
        EXPECT_TRUE(fs::is_regular_file(report)) << c.what;
        ASSERT_EQ(messages.messages.size(), 2u) << c.what;
        EXPECT_NE(messages.messages[0].text.find("could not be archived: cannot search"),
                  std::string::npos)
            << messages.messages[0].text;
        EXPECT_EQ(messages.messages[1].caption, "Save Success!!!");
    }
}

} // namespace
} // namespace varne
