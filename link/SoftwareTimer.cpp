#include "link/SoftwareTimer.h"

namespace varne {

void SoftwareTimer::arm(std::int32_t durationMs) {
    count_ = durationMs;
    active_ = true;
}

void SoftwareTimer::countDown(std::int32_t elapsedMs) {
    // count_ > 0 and elapsedMs > 0 keep the difference well inside the 32-bit range.
    if (active_ && count_ > 0 && elapsedMs > 0) {
        count_ -= elapsedMs;
    }
}

} // namespace varne
