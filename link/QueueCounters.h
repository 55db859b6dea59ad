#pragma once

#include <cstdint>

namespace varne {

// Read index, write index and count of a ring of fixed slots. The slots themselves live with
// the owner; these counters only hand out slot indices, in constant time.
class QueueCounters {
public:
    static constexpr std::uint8_t kNoSlot = 255;

    explicit QueueCounters(std::uint8_t depth) { reset(depth); }

    void reset(std::uint8_t depth);
    // The slot to fill next, queued from this moment; kNoSlot when every slot is taken.
    std::uint8_t reserve();
    // The oldest queued slot, taken off the queue; kNoSlot when the queue is empty.
    std::uint8_t take();
    // The oldest queued slot, left on the queue; kNoSlot when the queue is empty.
    std::uint8_t head() const { return count_ == 0 ? kNoSlot : read_; }

    std::uint8_t count() const { return count_; }
    bool full() const { return count_ == depth_; }

private:
    std::uint8_t next(std::uint8_t index) const;

    std::uint8_t read_ = 0;
    std::uint8_t write_ = 0;
    std::uint8_t count_ = 0;
    std::uint8_t depth_ = 0;
};

} // namespace varne
