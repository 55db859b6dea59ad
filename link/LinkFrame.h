#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varne {

// A link frame: start byte, command byte, payload length (16-bit, little-endian), payload,
// check byte over everything before it. Only the payload ever goes on the wire; the rest
// frames requests and replies inside the program.
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::size_t kFrameOverhead = kFrameHeaderSize + 1;

inline constexpr std::uint8_t kTransmitStartByte = 2;
inline constexpr std::uint8_t kReceiveStartByte = 1;
inline constexpr std::uint8_t kReceivedFrameCommand = 0x10;

// Room of a transmit slot: the download requests carry 25-byte payloads.
inline constexpr std::size_t kMaxTransmitPayload = 25;
inline constexpr std::size_t kTransmitFrameCapacity = kMaxTransmitPayload + kFrameOverhead;
// Room of a receive slot and of the current-frame buffer. A received block longer than
// kMaxReceivedPayload does not fit and is dropped whole.
inline constexpr std::size_t kReceiveFrameCapacity = 5220;
inline constexpr std::size_t kMaxReceivedPayload = kReceiveFrameCapacity - kFrameOverhead;

// The payload length in positions 2 and 3; 0 for a buffer too short to hold a header.
std::uint16_t framePayloadLength(std::span<const std::uint8_t> frame);

// The payload bytes of a frame, as its header counts them. Empty when the frame is too short
// to hold the payload and check byte that its header announces.
std::span<const std::uint8_t> framePayload(std::span<const std::uint8_t> frame);

// Writes a whole frame into `out` and gives its length (payload size + 5). `out` must have
// room for it and the payload must fit the 16-bit length field; callers check both.
std::size_t writeFrame(std::span<std::uint8_t> out, std::uint8_t startByte, std::uint8_t command,
                       std::span<const std::uint8_t> payload);

} // namespace varne
