#include "base/ShippedDefaults.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace varne {
namespace {

namespace fs = std::filesystem;

TEST(ShippedDefaultsTest, FoundBesideTheProgramUnderAnyPrefix) {
    const fs::path prefix = fs::path(testing::TempDir()) / "varne-prefix";
    fs::remove_all(prefix);
    fs::create_directories(prefix / "bin");
    EXPECT_EQ(ShippedConfigureDirectory(prefix / "bin"), fs::path());

    fs::create_directories(prefix / "share/varne-report/Configure");
    EXPECT_EQ(ShippedConfigureDirectory(prefix / "bin"),
              (prefix / "share/varne-report/Configure").lexically_normal());
    EXPECT_EQ(ShippedConfigureDirectory(fs::path()), fs::path());
    fs::remove_all(prefix);
}

TEST(ShippedDefaultsTest, TheBuildTreeHoldsThemLikeAnInstalledProgram) {
    const fs::path configure = ShippedConfigureDirectory(VARNE_BUILD_BIN_DIR);
    ASSERT_FALSE(configure.empty());
    EXPECT_TRUE(fs::is_regular_file(configure / "Varne_wordlabel.abl"));
    EXPECT_TRUE(fs::is_regular_file(configure / "Varne_Report.docx"));
}

} // namespace
} // namespace varne
