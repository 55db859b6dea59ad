#include "link/TimerTick.h"

#include "link/DownloadSession.h"
#include "link/LinkLayer.h"
#include "link/UiStep.h"

namespace varne {

void timerTick(LinkLayer& link, DownloadSession& session, std::int32_t elapsedMs, UiStep& uiStep) {
    timerTick(link, session, elapsedMs);
    uiStep.run();
}

void timerTick(LinkLayer& link, DownloadSession& session, std::int32_t elapsedMs) {
    link.countDown(elapsedMs);
    session.step();
    link.receiveStep();
    link.transmitStep();
}

} // namespace varne
