#include "base/ConfigFiles.h"

#include "support/RecordingMessageSink.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace varne {
namespace {

namespace fs = std::filesystem;

class ConfigDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() /
            ("varne_config_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "Configure");
        paths_ = BuildPaths(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    static void write(const fs::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    fs::path root_;
    ConfigPaths paths_;
};

TEST(BuildPathsTest, NamesTheFourFilesBelowTheWorkingDirectory) {
    const fs::path base = "/some/long/working directory/" + std::string(300, 'x');
    const auto paths = BuildPaths(base);
    EXPECT_EQ(paths.templatePath, base / "Configure" / "Varne_Report.docx");
    EXPECT_EQ(paths.labelPath, base / "Configure" / "Varne_wordlabel.abl");
    EXPECT_EQ(paths.textReportPath, base / "Varne_Report" / "Varne_Report.txt");
    EXPECT_EQ(paths.portFilePath, base / "Configure" / "Varne_Com.txt");
    EXPECT_EQ(BuildPaths().labelPath, fs::current_path() / "Configure" / "Varne_wordlabel.abl");
}

TEST(PortFileTest, TakesLineTwoOnlyBetweenExactMarkers) {
    struct Case {
        std::string file;
        std::string port;
    };
    const std::vector<Case> cases = {
        {"COMSTART\nCOM4\nCOMEND\n", "COM4"},
        {"COMSTART\n/dev/ttyUSB0\nCOMEND\nanything after\n", "/dev/ttyUSB0"},
        {"COMSTART\r\n/dev/ttyUSB1\r\nCOMEND\r\n", "/dev/ttyUSB1"},
        {"COMSTART\n COM4 \nCOMEND", " COM4 "},
        {"\xEF\xBB\xBF"
         "COMSTART\nCOM5\nCOMEND\n",
         "COM5"},
        {"comstart\nCOM4\nCOMEND\n", ""},
        {"COMSTART \nCOM4\nCOMEND\n", ""},
        {"COMSTART\nCOM4\n COMEND\n", ""},
        {"COMSTART\nCOM4\ncomend\n", ""},
        {"COMSTART\n\nCOMEND\n", ""},
        {"COMSTART\nCOM4\n", ""},
        {"COMSTART\nCOM4", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.file);
        EXPECT_EQ(ParsePortFile(in), c.port) << "file: " << c.file;
    }
}

TEST(LabelFileTest, FillsTheTableByPositionUpToTheStar) {
    struct Case {
        std::string file;
        std::vector<std::string> entries; // the leading entries; all later ones stay empty
    };
    const std::vector<Case> cases = {
        {"Title=Report\n# comment\n\n  Date = 2017  \nNoEquals\na=b=c\n*\nLate=x\n",
         {"Report", "", " 2017", "NoEquals", "b=c"}},
        {"Title=Report\r\n# comment\r\n\r\n  Date = 2017  \r\nNoEquals\r\na=b=c\r\n*\r\nLate=x\r\n",
         {"Report", "", " 2017", "NoEquals", "b=c"}},
        {";x=1\nx=1 ;note\n   \n\t\nv=\n  *  trailing\nLate=x\n", {"1 ;note", "", "", ""}},
        {"# no star at all\nA=Heading1\nB=Date1", {"Heading1", "Date1"}},
        {"*\nA=1\n", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.file);
        LabelEntries labels;
        EXPECT_EQ(ParseLabelFile(in, labels), 0u) << "file: " << c.file;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const std::string expected = i < c.entries.size() ? c.entries[i] : std::string{};
            EXPECT_EQ(labels[i], expected) << "entry " << i << " of file: " << c.file;
        }
    }
}

TEST(LabelFileTest, ValuesBeyondTheTableAreCountedAndDropped) {
    std::string file;
    for (int i = 0; i < 153; ++i) {
        file += "L" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
    }
    std::istringstream in(file);
    LabelEntries labels;
    EXPECT_EQ(ParseLabelFile(in, labels), 3u);
    EXPECT_EQ(labels.front(), "v0");
    EXPECT_EQ(labels.back(), "v149");
}

TEST_F(ConfigDirectory, ReadsBothFilesAndSetsTheDeviceNames) {
    write(paths_.portFilePath, "COMSTART\r\n/dev/ttyUSB0\r\nCOMEND\r\n");
    write(paths_.labelPath, "# labels\r\nH=Heading1\r\nD=Date1\r\nR=Result1\r\n*\r\n");
    test::RecordingMessageSink sink;
    Configuration config;
    ReadConfigFiles(paths_, config, sink);

    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(config.m_strFilePort, "/dev/ttyUSB0");
    EXPECT_EQ(config.m_strLabel[0], "Heading1");
    EXPECT_EQ(config.m_strLabel[1], "Date1");
    EXPECT_EQ(config.m_strLabel[2], "Result1");
    EXPECT_EQ(config.m_strLabel[3], "");
    EXPECT_EQ(config.deviceNames(),
              (std::array<std::string, 3>{"\\Device\\cyg_ser0", "\\Device\\slabser0",
                                          "\\Device\\Silabser0"}));
}

TEST_F(ConfigDirectory, MissingFilesLeaveEmptyValuesAndTellAboutTheLabelFile) {
    test::RecordingMessageSink sink;
    Configuration config;
    ReadConfigFiles(paths_, config, sink);

    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Can not find Varne_wordlabel.abl!!!");
    EXPECT_EQ(sink.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(config.m_strFilePort, "");
    EXPECT_EQ(config.m_strLabel[0], "");
    EXPECT_EQ(config.deviceNames(), (std::array<std::string, 3>{"\\Device\\cyg_ser0", "", ""}));
}

TEST_F(ConfigDirectory, WarnsOnStandardErrorAboutValuesBeyondTheTable) {
    std::string file;
    for (int i = 0; i < 151; ++i) {
        file += "v" + std::to_string(i) + "\n";
    }
    write(paths_.labelPath, file);
    test::RecordingMessageSink sink;
    Configuration config;
    ::testing::internal::CaptureStderr();
    ReadConfigFiles(paths_, config, sink);
    const std::string errors = ::testing::internal::GetCapturedStderr();

    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(config.m_strLabel[149], "v149");
    EXPECT_NE(errors.find("Varne_wordlabel.abl"), std::string::npos) << errors;
    EXPECT_NE(errors.find("1 value(s) beyond the 150 labels"), std::string::npos) << errors;
}

TEST(ShippedConfigurationTest, LabelsNameThirtyRecordsAndThePortFileIsOnlyAnExample) {
    const auto paths = BuildPaths(fs::path(VARNE_TEST_SOURCE_DIR) / "res");
    test::RecordingMessageSink sink;
    Configuration config;
    ReadConfigFiles(paths, config, sink);

    EXPECT_TRUE(sink.messages.empty());
    // No port is named by default, so the dialog asks for a tester until one is plugged in.
    EXPECT_EQ(config.m_strFilePort, "");
    std::ifstream example(paths.portFilePath.string() + ".example");
    EXPECT_EQ(ParsePortFile(example), "/dev/ttyUSB0");
    for (int record = 1; record <= 30; ++record) {
        const auto k = static_cast<std::size_t>(record - 1);
        EXPECT_EQ(config.m_strLabel[3 * k], "Heading" + std::to_string(record));
        EXPECT_EQ(config.m_strLabel[3 * k + 1], "Date" + std::to_string(record));
        EXPECT_EQ(config.m_strLabel[3 * k + 2], "Result" + std::to_string(record));
    }
    EXPECT_EQ(config.m_strLabel[90], "");
}

} // namespace
} // namespace varne
