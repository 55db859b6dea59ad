#pragma once

#include "link/LinkEventHandler.h"
#include "link/SharedState.h"

#include <cstdint>
#include <span>

namespace varne {

class LinkLayer;

// Fetches the report image in two requests through the link layer: a handshake, then the
// report. Its step runs once per timer tick; it hears of replies and timeouts as the link
// layer's event handler (the owner passes it to LinkLayer::configure). Results and progress
// go to the shared state: the handshake value, the report image, the session state, the UI
// phase and, when a reply fails to come, the download outcome.
class DownloadSession final : public LinkEventHandler {
public:
    using Step = void (DownloadSession::*)();
    struct StepEntry {
        std::uint16_t key;
        Step step;
    };
    // Keys of the step table; kStepTableEnd closes it.
    static constexpr std::uint16_t kReportDownloadStepKey = 0;
    static constexpr std::uint16_t kStepTableEnd = 0xFFFF;

    // Selects the step of `stepKey` from the step table (none if no entry has that key) and
    // sets the session state to Initialised. Both references must outlive the session.
    DownloadSession(LinkLayer& link, SharedState& shared,
                    std::uint16_t stepKey = kReportDownloadStepKey);
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    // Begins a download: the next tick queues the handshake request. The caller has found
    // and opened the tester's port and keeps a second start from overlapping a running one.
    void start();

    // Runs the selected step, if there is one.
    void step();
    bool hasStep() const { return step_ != nullptr; }

    void onLinkEvent(LinkEvent event, std::span<const std::uint8_t> frame,
                     std::uint16_t& value) override;

private:
    static Step findStep(std::uint16_t key);
    void reportDownloadStep();
    void queueRequest(std::uint8_t command, std::span<const std::uint8_t> record,
                      std::int32_t replyTimeoutMs);
    std::uint16_t judgeReply(std::span<const std::uint8_t> payload);

    LinkLayer& link_;
    SharedState& shared_;
    Step step_;
};

} // namespace varne
