#include "link/UiStepController.h"

#include "base/MessageSink.h"
#include "link/DownloadSession.h"
#include "link/GetReportButton.h"
#include "link/LinkLayer.h"
#include "link/ReportGenerator.h"
#include "link/SharedState.h"
#include "link/TesterFinder.h"
#include "link/TesterPort.h"

namespace varne {

void UiStepController::initialDiscovery() {
    if (!followDiscovery()) {
        p_.shared.outcome = DownloadOutcome::FailureReported;
    }
}

bool UiStepController::followDiscovery() {
    const bool found = p_.finder.FindTesterPort();
    p_.button.setEnabled(found);
    p_.button.setText(found ? kGetReportText : kConnectTesterText);
    return found;
}

bool UiStepController::OnGetReport() {
    if (!p_.finder.FindTesterPort()) {
        p_.messages.warning(kTesterNotFoundText);
        return false;
    }
    if (p_.port.OpenTesterPort() == 0) {
        // The same words as when no tester is found, with the reason the system gave.
        p_.messages.warning(kTesterNotFoundText, p_.port.openFailureReason());
        return false;
    }
    p_.button.setText(kGettingReportText);
    p_.session.start();
    p_.button.setEnabled(false);
    return true;
}

void UiStepController::run() {
    if (const auto frame = p_.link.takePendingFrame(); !frame.empty()) {
        if (p_.port.OpenTesterPort() == 1) {
            p_.port.SendPayload(frame);
        }
    }

    switch (p_.shared.uiPhase) {
    case UiPhase::Idle:
        followDiscovery();
        break;
    case UiPhase::Getting:
        break;
    case UiPhase::ReportReady:
        // Idle first: report generation may show message boxes, during which further ticks
        // must not write the report again.
        p_.shared.uiPhase = UiPhase::Idle;
        p_.report.WriteReport();
        if (p_.port.IsOpen()) {
            p_.port.Close();
        }
        restoreButton();
        p_.shared.busy = false;
        break;
    }

    if (p_.shared.outcome == DownloadOutcome::FailedNotReported) {
        p_.shared.busy = false;
        p_.shared.uiPhase = UiPhase::Idle;
        // Marked as told before the message opens, so ticks meanwhile do not tell it again.
        p_.shared.outcome = DownloadOutcome::FailureReported;
        restoreButton();
        p_.messages.error(kCommunicationFailedText);
    }
}

void UiStepController::restoreButton() {
    p_.button.setText(kGetReportText);
    p_.button.setEnabled(true);
}

} // namespace varne
