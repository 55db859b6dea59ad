#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varne {

// The length of the well-formed UTF-8 sequence that starts `text`, 0 when none does (an empty
// text, a stray continuation byte, an overlong form, a surrogate, a cut-off sequence ...).
std::size_t Utf8SequenceLength(std::string_view text);

// The text as valid UTF-8: each byte that starts no well-formed sequence becomes U+FFFD.
std::string ValidUtf8(std::string_view text);

// The lines of a report text on one line: each line without its surrounding blanks, empty lines
// left out, the rest joined by `separator`.
std::string JoinReportLines(std::string_view text, std::string_view separator);

// A number in the C conventions with as few digits as read back to the same value: a value
// that a single-precision number holds exactly with the digits of that float ("1.002", not
// "1.00199997..."), other values with those of the double. Only for finite values.
std::string ShortestNumber(double value);

} // namespace varne
