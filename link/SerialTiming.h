#pragma once

#include <cstdint>

namespace varne {

// How the serial driver paces a download. The dialog runs the faithful timing; the
// command-line tool by default runs the same link layer, session and UI step faster.
struct SerialTiming {
    std::int32_t tickMs;          // period of the timer tick
    bool reopenBeforeEachFrame;   // close and reopen the port before every request
    std::int32_t openSettleMs;    // wait between closing and reopening
    std::int32_t handshakeWaitMs; // receive wait while the handshake reply is awaited
    std::int32_t otherWaitMs;     // receive wait in every other state
    bool endBlockWhenComplete;    // a block ends as soon as the awaited reply is in ...
    std::int32_t replyQuietMs;    // ... or once the line has been quiet this long,
    std::int32_t idleGapMs;       // or this long for bytes that no request awaits

    static constexpr SerialTiming faithful() { return {1000, true, 50, 100, 1500, false, 0, 0}; }
    // A reply may pause well over half a second and still arrive whole; one that stops for
    // longer than the quiet time is ended there and fails its check.
    static constexpr SerialTiming fast() { return {20, false, 50, 2500, 2500, true, 1000, 50}; }
};

} // namespace varne
