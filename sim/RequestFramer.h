#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varne {

// The two requests a client sends, byte for byte: command, address 0xC000 and length 5120
// (both big-endian), sixteen zeros, check byte. The handshake's check byte is one more than
// the plain sum of its bytes.
inline constexpr std::size_t kRequestSize = 25;
inline constexpr std::array<std::uint8_t, kRequestSize> kHandshakeRequest{
    0x0B, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x14, 0x00, 0, 0, 0, 0,   0,
    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0xE0};
inline constexpr std::array<std::uint8_t, kRequestSize> kReportRequest{
    0x1E, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x14, 0x00, 0, 0, 0, 0,   0,
    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0xF2};

// Cuts the bytes a client writes into requests. Bytes may arrive in pieces, so they are
// gathered until a request's worth has arrived or the line has been quiet for the quiet gap;
// then they are judged. Bytes that are not a byte-exact request are handed back as rejected,
// keeping any tail that may still grow into a request, so that garbage before a request costs
// that garbage only and never leaves us deaf.
class RequestFramer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kQuietGap{200};

    enum class Kind { Handshake, Report, Rejected };
    struct Piece {
        Kind kind;
        std::vector<std::uint8_t> bytes;
    };

    // Takes bytes that arrived at `now` and returns what they complete.
    std::vector<Piece> feed(std::span<const std::uint8_t> bytes, Clock::time_point now);
    // Rejects a partial request once the line has been quiet for the quiet gap.
    std::optional<Piece> expire(Clock::time_point now);
    // When expire() has something to say, or nothing if no bytes are waiting.
    std::optional<Clock::time_point> deadline() const;

private:
    std::vector<std::uint8_t> pending_;
    Clock::time_point lastArrival_{};
};

} // namespace varne
