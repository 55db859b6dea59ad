#include "link/QueueCounters.h"

namespace varne {

void QueueCounters::reset(std::uint8_t depth) {
    depth_ = depth;
    read_ = 0;
    write_ = 0;
    count_ = 0;
}

std::uint8_t QueueCounters::reserve() {
    if (full()) {
        return kNoSlot;
    }
    const std::uint8_t slot = write_;
    ++count_;
    write_ = next(write_);
    return slot;
}

std::uint8_t QueueCounters::take() {
    if (count_ == 0) {
        return kNoSlot;
    }
    const std::uint8_t slot = read_;
    --count_;
    read_ = next(read_);
    return slot;
}

std::uint8_t QueueCounters::next(std::uint8_t index) const {
    return index + 1 >= depth_ ? 0 : static_cast<std::uint8_t>(index + 1);
}

} // namespace varne
