#pragma once

#include "report/ReportImage.h"
#include "report/model/TestRecord.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace varne {

// The tests of a complete report image as typed records, one per present directory entry, in
// directory order. Names, quantities, curve and texts come from the same formatting that writes
// the text and Word reports, so they always agree with them. Throws std::out_of_range when the
// image is too short for its layout (check ReportImage::isComplete() first).
std::vector<TestRecord> DecodeTestRecords(const ReportImage& image, std::uint8_t handshakeValue);

// The tester's local time of a directory entry, or nothing when its bytes make no real date and
// time of day (month 18, day 0, 31 April, 29 February of a common year, hour 24, a year byte
// above 99 that the date text cannot show as a year ...).
std::optional<TestTime> testTimeOf(const DirectoryEntry& entry);

} // namespace varne
