#include "app/WorkDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace varne {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class WorkDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("varne_workdir_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        defaults_ = root_ / "share" / "Configure";
        write(defaults_ / "Varne_Com.txt", "COMSTART\n/dev/ttyUSB0\nCOMEND\n");
        write(defaults_ / "Varne_wordlabel.abl", "labels\n");
        write(defaults_ / "Varne_Report.docx", "template");
        fs::create_directories(defaults_ / "not-a-file");
        previous_ = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }

    fs::path root_;
    fs::path defaults_;
    fs::path previous_;
};

TEST_F(WorkDirectoryTest, FirstUseMakesTheFolderAndCopiesTheDefaults) {
    const fs::path work = root_ / "home" / "Varne Report";
    EXPECT_EQ(EnterWorkDirectory(work, defaults_), std::nullopt);
    EXPECT_EQ(fs::current_path(), work);
    EXPECT_EQ(contentOf(work / "Configure" / "Varne_Com.txt"), "COMSTART\n/dev/ttyUSB0\nCOMEND\n");
    EXPECT_EQ(contentOf(work / "Configure" / "Varne_wordlabel.abl"), "labels\n");
    EXPECT_EQ(contentOf(work / "Configure" / "Varne_Report.docx"), "template");
    EXPECT_FALSE(fs::exists(work / "Configure" / "not-a-file"));
}

TEST_F(WorkDirectoryTest, NeverReplacesTheUsersFiles) {
    const fs::path work = root_ / "work";
    write(work / "Configure" / "Varne_Com.txt", "COMSTART\n/dev/ttyUSB3\nCOMEND\n");
    fs::create_symlink("elsewhere.docx", work / "Configure" / "Varne_Report.docx");
    write(work / "Varne_Report" / "Varne_Report.txt", "an earlier report");

    EXPECT_EQ(EnterWorkDirectory(work, defaults_), std::nullopt);
    EXPECT_EQ(contentOf(work / "Configure" / "Varne_Com.txt"), "COMSTART\n/dev/ttyUSB3\nCOMEND\n");
    EXPECT_EQ(fs::read_symlink(work / "Configure" / "Varne_Report.docx"), "elsewhere.docx");
    EXPECT_EQ(contentOf(work / "Configure" / "Varne_wordlabel.abl"), "labels\n");
    EXPECT_EQ(contentOf(work / "Varne_Report" / "Varne_Report.txt"), "an earlier report");
}

TEST_F(WorkDirectoryTest, WithoutDefaultsTheFolderIsStillMade) {
    const fs::path work = root_ / "work";
    EXPECT_EQ(EnterWorkDirectory(work, root_ / "missing"), std::nullopt);
    EXPECT_TRUE(fs::is_directory(work / "Configure"));
    EXPECT_TRUE(fs::is_empty(work / "Configure"));
    EXPECT_EQ(fs::current_path(), work);
}

TEST_F(WorkDirectoryTest, AFolderThatCannotBeMadeIsAProblemForTheUser) {
    write(root_ / "a file", "in the way");
    const auto problem = EnterWorkDirectory(root_ / "a file", defaults_);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("a file"), std::string::npos) << *problem;
    EXPECT_EQ(fs::current_path(), previous_);
}

} // namespace
} // namespace varne
