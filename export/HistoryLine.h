#pragma once

#include "report/model/TestRecord.h"

#include <string>

namespace varne {

// One line of `varne history` (no line end): the test's date as the report prints it, the
// heading's lines joined by a blank and the result's lines joined by " / ", the three parts
// separated by " | " (the last left out when the test has no result).
//   2024-05-14 08:14:05 | Pick Up AC-I1 | Pick up:  1.002A / Drop off:  0.953A / Ratio:  0.951
std::string HistoryLine(const TestRecord& record);

} // namespace varne
