#pragma once

#include "link/LinkFrame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varne {

// Fixed storage for the payload of the last accepted report reply: the report image followed
// by the tester's check byte. It stays as it is until the next report reply is accepted, so a
// stray frame or a failed download never changes an image that is being written out.
class ReportImageBuffer {
public:
    // False, leaving the stored image as it was, when `payload` is longer than a received
    // frame can carry.
    bool assign(std::span<const std::uint8_t> payload);
    // The accepted payload, all of its bytes; empty before the first report arrives.
    std::span<const std::uint8_t> bytes() const {
        return std::span<const std::uint8_t>(storage_).first(length_);
    }

private:
    std::array<std::uint8_t, kMaxReceivedPayload> storage_{};
    std::size_t length_ = 0;
};

} // namespace varne
