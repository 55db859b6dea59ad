#pragma once

#include <cstdint>
#include <vector>

namespace varne {

// The 5120-byte report image the simulator serves when it is given no image file: one working
// day of relay tests on a feeder bay, 29 tests covering every test type and subtype the report
// knows, and one erased entry in the middle of the directory.
std::vector<std::uint8_t> demoReportImage();

} // namespace varne
