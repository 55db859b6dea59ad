#include "report/ReportFileName.h"

#include <ctime>

namespace varne {

std::filesystem::path FreeWordReportPath(const std::filesystem::path& directory,
                                         std::chrono::system_clock::time_point now) {
    return FreeReportPath(directory, now, ".docx");
}

std::filesystem::path FreeReportPath(const std::filesystem::path& directory,
                                     std::chrono::system_clock::time_point now,
                                     const std::string& extension) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &local);

    const std::string stem = std::string("Varne_Report_") + stamp;
    auto candidate = directory / (stem + extension);
    for (int suffix = 2;; ++suffix) {
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
            return candidate;
        }
        candidate = directory / (stem + "_" + std::to_string(suffix) + extension);
    }
}

} // namespace varne
