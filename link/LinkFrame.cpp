#include "link/LinkFrame.h"

#include "link/CheckByte.h"

#include <algorithm>
#include <cassert>

namespace varne {

std::uint16_t framePayloadLength(std::span<const std::uint8_t> frame) {
    if (frame.size() < kFrameHeaderSize) {
        return 0;
    }
    return static_cast<std::uint16_t>(frame[2] | (frame[3] << 8));
}

std::span<const std::uint8_t> framePayload(std::span<const std::uint8_t> frame) {
    const std::size_t length = framePayloadLength(frame);
    if (frame.size() < length + kFrameOverhead) {
        return {};
    }
    return frame.subspan(kFrameHeaderSize, length);
}

std::size_t writeFrame(std::span<std::uint8_t> out, std::uint8_t startByte, std::uint8_t command,
                       std::span<const std::uint8_t> payload) {
    const std::size_t length = payload.size() + kFrameOverhead;
    assert(payload.size() <= 0xFFFF && out.size() >= length);
    out[0] = startByte;
    out[1] = command;
    out[2] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    out[3] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::ranges::copy(payload, out.begin() + kFrameHeaderSize);
    out[length - 1] = checkByte(out.first(length - 1));
    return length;
}

} // namespace varne
