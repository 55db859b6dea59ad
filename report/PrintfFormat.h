#pragma once

#include <string>

namespace varne {

// printf-style formatting into a std::string, with the C library's own conversions and rounding.
// Report lines are defined by their printf format strings, so they are built with these.
[[gnu::format(printf, 2, 3)]] void appendPrintf(std::string& out, const char* format, ...);
[[gnu::format(printf, 1, 2)]] std::string formatPrintf(const char* format, ...);

} // namespace varne
