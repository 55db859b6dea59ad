#pragma once

#include <cstdint>
#include <span>

namespace varne {

// The 8-bit sum, wrapping at 256, that closes link frames, download requests and replies.
std::uint8_t checkByte(std::span<const std::uint8_t> bytes);

} // namespace varne
