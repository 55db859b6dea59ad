#include "app/RunningProgramGuard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace varne {

namespace {

constexpr std::array<std::string_view, 4> kSuitePrograms{"orvex_states.exe", "orvex_direct.exe",
                                                         "orvex_slope.exe", "orvex_report.exe"};
constexpr std::string_view kExe = ".exe";

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

bool RunningProgramGuard::IsSuiteProgramName(const std::string& name) {
    const std::string lower = lowerCased(name);
    return std::any_of(kSuitePrograms.begin(), kSuitePrograms.end(), [&](std::string_view p) {
        return lower == p || lower == p.substr(0, p.size() - kExe.size());
    });
}

int RunningProgramGuard::IsOtherTestProgramRunning(bool bShowMessage) {
    const auto names = processes_.executableNames();
    const auto count = std::count_if(names.begin(), names.end(), IsSuiteProgramName);
    if (count > 1) {
        if (bShowMessage) {
            messages_.warning("A test program is running now!!");
        }
        return 0;
    }
    return 1;
}

} // namespace varne
