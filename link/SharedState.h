#pragma once

#include "link/ReportImageBuffer.h"

#include <cstdint>

namespace varne {

enum class SessionState : std::int16_t {
    Initialised = 0,       // made, owner not yet ready
    Idle = 1,              // ready, no download since start
    StartRequested = 2,    // start() called; the next tick queues the handshake
    AwaitingHandshake = 3, // handshake request queued; stays here after its failure
    HandshakeAccepted = 4, // the next tick queues the report request
    AwaitingReport = 5,    // report request queued; stays here after its failure
    ReportAccepted = 6,
};

enum class UiPhase : std::uint8_t {
    Idle = 0,
    Getting = 1,     // a download runs
    ReportReady = 2, // report accepted, not yet written
};

// Kept apart from the port number, so that any port number can be used.
enum class DownloadOutcome : std::uint8_t {
    None = 0,
    FailedNotReported = 112, // a reply did not come; the user has not been told yet
    FailureReported = 113,   // the user has been told (or no tester was found at start)
};

// The values that the download session, the UI step, the serial driver and the window share.
// One instance, owned by whoever runs the download (the dialog or the command-line tool);
// everything touches it from the one thread that runs the timer tick.
struct SharedState {
    SessionState sessionState = SessionState::Initialised;
    UiPhase uiPhase = UiPhase::Idle;
    DownloadOutcome outcome = DownloadOutcome::None;
    // The number of the port opened last; written by the serial driver.
    std::uint16_t portNumber = 0;
    // True while a download runs: the window shows the wait cursor.
    bool busy = false;
    // Byte 8 of the accepted handshake reply, compared as a signed number by the formatter.
    std::int8_t handshakeValue = 0;
    ReportImageBuffer reportImage;
};

} // namespace varne
