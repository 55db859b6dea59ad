#pragma once

#include <cstdint>

namespace varne {

// A countdown in milliseconds driven by the timer tick. The count is signed: a tick may take
// it past 0, and any count of 0 or less on an armed timer means it has expired.
class SoftwareTimer {
public:
    void arm(std::int32_t durationMs);
    // Disarms the timer; the count keeps its value.
    void stop() { active_ = false; }
    bool expired() const { return active_ && count_ <= 0; }
    // An armed timer with time left loses `elapsedMs`; an expired or stopped one is left
    // alone, and so is any timer when `elapsedMs` is not positive.
    void countDown(std::int32_t elapsedMs);

    bool active() const { return active_; }
    std::int32_t count() const { return count_; }

private:
    std::int32_t count_ = 0;
    bool active_ = false;
};

} // namespace varne
