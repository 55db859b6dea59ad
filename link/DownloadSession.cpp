#include "link/DownloadSession.h"

#include "link/CheckByte.h"
#include "link/DownloadRequest.h"
#include "link/LinkFrame.h"
#include "link/LinkLayer.h"

#include <array>

namespace varne {

namespace {

constexpr std::size_t kHandshakeReplyLength = 11;
constexpr std::uint8_t kHandshakeReplyMarker = 0xAA;
constexpr std::size_t kHandshakeValueIndex = 8;

// A reply closes with the check byte of everything before it.
bool hasValidCheckByte(std::span<const std::uint8_t> payload) {
    return !payload.empty() && checkByte(payload.first(payload.size() - 1)) == payload.back();
}

} // namespace

DownloadSession::DownloadSession(LinkLayer& link, SharedState& shared, std::uint16_t stepKey)
    : link_(link), shared_(shared), step_(findStep(stepKey)) {
    shared_.sessionState = SessionState::Initialised;
}

DownloadSession::Step DownloadSession::findStep(std::uint16_t key) {
    static constexpr std::array<StepEntry, 2> kStepTable{{
        {kReportDownloadStepKey, &DownloadSession::reportDownloadStep},
        {kStepTableEnd, nullptr},
    }};
    for (const StepEntry& entry : kStepTable) {
        if (entry.key == kStepTableEnd) {
            break;
        }
        if (entry.key == key) {
            return entry.step;
        }
    }
    return nullptr;
}

void DownloadSession::start() {
    shared_.sessionState = SessionState::StartRequested;
    shared_.uiPhase = UiPhase::Getting;
    shared_.busy = true;
    shared_.outcome = DownloadOutcome::None;
}

void DownloadSession::step() {
    if (step_ != nullptr) {
        (this->*step_)();
    }
}

void DownloadSession::reportDownloadStep() {
    switch (shared_.sessionState) {
    case SessionState::StartRequested: {
        const RequestRecord record = handshakeRequestRecord();
        queueRequest(kHandshakeCommand, record, kHandshakeReplyTimeoutMs);
        shared_.sessionState = SessionState::AwaitingHandshake;
        break;
    }
    case SessionState::HandshakeAccepted: {
        const RequestRecord record = reportRequestRecord();
        queueRequest(kReportCommand, record, kReportReplyTimeoutMs);
        shared_.sessionState = SessionState::AwaitingReport;
        break;
    }
    default:
        break;
    }
}

void DownloadSession::queueRequest(std::uint8_t command, std::span<const std::uint8_t> record,
                                   std::int32_t replyTimeoutMs) {
    const bool queued =
        link_.queueFrame({TransmitRequest::kModeExpectsReply, command, record, replyTimeoutMs});
    // Without a queued request no reply timer would ever end the wait: fail at once.
    if (!queued) {
        shared_.outcome = DownloadOutcome::FailedNotReported;
    }
}

void DownloadSession::onLinkEvent(LinkEvent event, std::span<const std::uint8_t> frame,
                                  std::uint16_t& value) {
    switch (event) {
    case LinkEvent::Reply:
        value = judgeReply(framePayload(frame));
        break;
    case LinkEvent::ReplyTimeout:
        if (shared_.sessionState == SessionState::AwaitingHandshake ||
            shared_.sessionState == SessionState::AwaitingReport) {
            shared_.outcome = DownloadOutcome::FailedNotReported;
        }
        break;
    case LinkEvent::FrameWhileIdle:
        break;
    }
}

std::uint16_t DownloadSession::judgeReply(std::span<const std::uint8_t> payload) {
    if (!hasValidCheckByte(payload)) {
        return kReplyRejected;
    }
    switch (shared_.sessionState) {
    case SessionState::AwaitingHandshake:
        // Anything else would end the transmission and leave nothing to end the wait.
        if (payload.size() != kHandshakeReplyLength || payload[0] != kHandshakeReplyMarker) {
            return kReplyRejected;
        }
        shared_.handshakeValue = static_cast<std::int8_t>(payload[kHandshakeValueIndex]);
        shared_.sessionState = SessionState::HandshakeAccepted;
        return kReplyAccepted;
    case SessionState::AwaitingReport:
        if (!shared_.reportImage.assign(payload)) {
            return kReplyRejected;
        }
        shared_.sessionState = SessionState::ReportAccepted;
        shared_.uiPhase = UiPhase::ReportReady;
        return kReplyAccepted;
    default:
        return kReplyAccepted;
    }
}

} // namespace varne
