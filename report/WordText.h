#pragma once

#include <string>
#include <string_view>

namespace varne {

// Turns a report text (8-bit, the degree sign as the two bytes A1 E3) into UTF-8 that an XML
// document can hold: A1 E3 becomes U+00B0, other bytes from 0x80 up are read as Windows-1252,
// "\n" and "\t" stay (the document writer turns them into a break and a tab), and characters
// XML cannot hold (other control characters, undefined code points) are dropped.
std::string WordTextFromReportText(std::string_view reportText);

} // namespace varne
