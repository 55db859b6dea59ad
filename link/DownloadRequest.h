#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace varne {

// The two requests of a report download. Each is a 25-byte record naming tester memory
// 0xC000 and 5120 bytes (both big-endian), closed by a check byte; only these 25 bytes go on
// the wire.
inline constexpr std::uint8_t kHandshakeCommand = 0x0B;
inline constexpr std::uint8_t kReportCommand = 0x1E;
inline constexpr std::int32_t kHandshakeReplyTimeoutMs = 1500;
inline constexpr std::int32_t kReportReplyTimeoutMs = 2500;
inline constexpr std::size_t kRequestRecordSize = 25;

using RequestRecord = std::array<std::uint8_t, kRequestRecordSize>;

// The tester expects the handshake's check byte one above the plain sum.
RequestRecord handshakeRequestRecord();
RequestRecord reportRequestRecord();

} // namespace varne
