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
    bool endBlockWhenComplete;    // a block ends as soon as the expected reply is in ...
    std::int32_t idleGapMs;       // ... or after this long without a byte

    static constexpr SerialTiming faithful() { return {1000, true, 50, 100, 1500, false, 0}; }
    static constexpr SerialTiming fast() { return {20, false, 50, 2500, 2500, true, 50}; }
};

} // namespace varne
