#pragma once

#include "report/model/TestRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace varne {

// "YYYY-MM-DDThh:mm:ss": ISO 8601, the tester's local time, no zone. Sorts as text in time order.
std::string IsoTestTime(const TestTime& time);

// Reads what IsoTestTime writes; nothing for any other text or for a date that is no real one.
std::optional<TestTime> ParseIsoTestTime(std::string_view text);

// Whether the fields make a real calendar date and time of day (years 2000 to 2099 included).
bool IsRealTestTime(const TestTime& time);

} // namespace varne
