#pragma once

#include <cstdint>

namespace varne {

class DownloadSession;
class LinkLayer;
class UiStep;

// The dialog's window timer fires every kDialogTickMs; other drivers may tick faster and
// pass their own period, which the reply timers then count down by.
inline constexpr std::int32_t kDialogTickMs = 1000;

// One turn of the main loop, in this order: count the reply timer down by `elapsedMs`, run
// the session step, the link layer's receive step, its transmit step, then the UI step.
void timerTick(LinkLayer& link, DownloadSession& session, std::int32_t elapsedMs, UiStep& uiStep);
// The same without a UI step.
void timerTick(LinkLayer& link, DownloadSession& session, std::int32_t elapsedMs);

} // namespace varne
