#pragma once

#include <string>
#include <string_view>

namespace varne {

// Turns a report text (8-bit, the degree sign as the two bytes A1 E3) into UTF-8 that an XML
// document can hold: A1 E3 becomes U+00B0, other bytes from 0x80 up are read as Windows-1252,
// "\n" and "\t" stay (the document writer turns them into a break and a tab), and characters
// XML cannot hold (other control characters, undefined code points) are dropped.
std::string WordTextFromReportText(std::string_view reportText);

// A label file entry (a bookmark name) as the document's text: a label that is valid UTF-8, as a
// label file written on Linux holds, stays as it is; any other is an 8-bit text, converted as a
// report text is.
std::string WordTextFromLabel(std::string_view label);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

} // namespace varne
