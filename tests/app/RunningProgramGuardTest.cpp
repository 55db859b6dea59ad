#include "app/RunningProgramGuard.h"

#include "app/ProcProcessList.h"
#include "support/FakeProcessList.h"
#include "support/RecordingMessageSink.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace varne {
namespace {

namespace fs = std::filesystem;

using test::FakeProcessList;

struct GuardCase {
    const char* what;
    std::vector<std::string> running;
    int expected;
};

class RunningProgramGuardCases : public testing::TestWithParam<GuardCase> {};

TEST_P(RunningProgramGuardCases, RefusesTheStartWhenTwoOrMoreSuiteProgramsRun) {
    const GuardCase& c = GetParam();
    FakeProcessList processes(c.running);
    test::RecordingMessageSink messages;
    RunningProgramGuard guard(processes, messages);
    EXPECT_EQ(guard.IsOtherTestProgramRunning(true), c.expected);
    if (c.expected == 0) {
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "A test program is running now!!");
    } else {
        EXPECT_TRUE(messages.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Guard, RunningProgramGuardCases,
    testing::Values(
        GuardCase{"one other suite program", {"bash", "orvex_slope.exe", "varne"}, 1},
        GuardCase{"two other suite programs", {"orvex_slope.exe", "orvex_direct.exe"}, 0},
        GuardCase{"case is ignored", {"ORVEX_STATES.EXE", "orvex_report"}, 0},
        GuardCase{"a second copy of this program", {"orvex_report", "orvex_report"}, 0},
        GuardCase{
            "a name that only contains a suite name", {"orvex_report.exe.bak", "orvex_report"}, 1},
        GuardCase{"names without .exe count", {"orvex_states", "Orvex_Slope"}, 0},
        GuardCase{"nothing running", {}, 1}),
    [](const auto& param) {
        std::string name = param.param.what;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(RunningProgramGuard, StaysSilentWhenNotAskedToShowTheMessage) {
    FakeProcessList processes({"orvex_report", "orvex_report"});
    test::RecordingMessageSink messages;
    EXPECT_EQ(RunningProgramGuard(processes, messages).IsOtherTestProgramRunning(false), 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(ProcProcessList, TakesTheBaseNameOfArgv0WithEitherSeparator) {
    EXPECT_EQ(ProcProcessList::baseNameOfArgv0(
                  std::string("/opt/varne/bin/orvex_report\0--workdir\0x\0", 41)),
              "orvex_report");
    EXPECT_EQ(ProcProcessList::baseNameOfArgv0("C:\\Tester\\ORVEX_SLOPE.EXE"), "ORVEX_SLOPE.EXE");
    EXPECT_EQ(ProcProcessList::baseNameOfArgv0("orvex_direct"), "orvex_direct");
}

TEST(ProcProcessList, ReadsEveryProcessOnceFromAProcTree) {
    const fs::path root = fs::temp_directory_path() / ("varne-proc-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const auto addProcess = [&](const std::string& pid, const std::string& cmdline) {
        fs::create_directories(root / pid);
        std::ofstream(root / pid / "cmdline", std::ios::binary) << cmdline;
    };
    addProcess("1", std::string("/sbin/init\0splash\0", 18));
    addProcess("42", std::string("/home/tech/build/bin/orvex_report\0", 34));
    addProcess("43", ""); // a kernel thread
    fs::create_directories(root / "self");
    std::ofstream(root / "self" / "cmdline") << "ignored";

    auto names = ProcProcessList(root).executableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"init", "orvex_report"}));
    fs::remove_all(root);
}

TEST(ProcProcessList, SeesThisTestProcessOnTheRealSystem) {
    const auto names = ProcProcessList().executableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "running_program_guard_test"), names.end());
}

} // namespace
} // namespace varne
