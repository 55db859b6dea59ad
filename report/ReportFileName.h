#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace varne {

// Varne_Report_YYYYMMDD_HHMMSS.docx in `directory`, the time in local time; when that name is
// taken, the first free of Varne_Report_YYYYMMDD_HHMMSS_2.docx, _3 and so on.
std::filesystem::path FreeWordReportPath(const std::filesystem::path& directory,
                                         std::chrono::system_clock::time_point now);

// The same for any report: Varne_Report_YYYYMMDD_HHMMSS<extension>, then _2, _3 ...
std::filesystem::path FreeReportPath(const std::filesystem::path& directory,
                                     std::chrono::system_clock::time_point now,
                                     const std::string& extension);

} // namespace varne
