#include "report/SaturatingCast.h"

#include <cmath>
#include <limits>

namespace varne {

static_assert(std::numeric_limits<int>::digits == 31, "the limits below assume a 32-bit int");

int truncateToInt(double value) {
    constexpr double kAboveMax = 2147483648.0;  // INT_MAX + 1
    constexpr double kBelowMin = -2147483649.0; // INT_MIN - 1
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= kAboveMax) {
        return std::numeric_limits<int>::max();
    }
    if (value <= kBelowMin) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

} // namespace varne
