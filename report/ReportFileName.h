#pragma once

#include <chrono>
#include <filesystem>

namespace varne {

// Varne_Report_YYYYMMDD_HHMMSS.docx in `directory`, the time in local time; when that name is
// taken, the first free of Varne_Report_YYYYMMDD_HHMMSS_2.docx, _3 and so on.
std::filesystem::path FreeWordReportPath(const std::filesystem::path& directory,
                                         std::chrono::system_clock::time_point now);

} // namespace varne
