// Drives the real link layer, download session and UI step with an operation script taken from
// the input: received blocks, ticks of many lengths, replies fed by a fake tester port, starts,
// discovery changes and link events delivered in any session state.

#include "FuzzSupport.h"
#include "link/CheckByte.h"
#include "link/DownloadSession.h"
#include "link/GetReportButton.h"
#include "link/LinkFrame.h"
#include "link/LinkLayer.h"
#include "link/ReportGenerator.h"
#include "link/SharedState.h"
#include "link/TesterFinder.h"
#include "link/TesterPort.h"
#include "link/TimerTick.h"
#include "link/UiStepController.h"
#include "report/ReportImage.h"

#include <array>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace varne::fuzz {
namespace {

class FakePort : public TesterPort {
public:
    int OpenTesterPort() override {
        open = canOpen;
        return canOpen ? 1 : 0;
    }
    void SendPayload(std::span<const std::uint8_t> frame) override {
        // The UI step hands over whole frames; only their payload goes on the wire.
        VARNE_FUZZ_CHECK(!framePayload(frame).empty());
        VARNE_FUZZ_CHECK(frame.size() == framePayloadLength(frame) + kFrameOverhead);
        VARNE_FUZZ_CHECK(frame.size() <= kTransmitFrameCapacity);
        ++writes;
    }
    bool IsOpen() const override { return open; }
    void Close() override { open = false; }

    bool canOpen = true;
    bool open = false;
    int writes = 0;
};

class FakeFinder : public TesterFinder {
public:
    bool FindTesterPort() override { return found; }
    bool found = true;
};

// Reads the accepted image as the real writers do, so that a stale or oversized image shows.
class FakeReport : public ReportGenerator {
public:
    explicit FakeReport(const SharedState& shared) : shared_(shared) {}
    void WriteReport() override {
        // The UI step leaves the ready phase before writing, so that a tick during a message
        // box cannot write the report twice.
        VARNE_FUZZ_CHECK(shared_.uiPhase != UiPhase::ReportReady);
        const auto bytes = shared_.reportImage.bytes();
        VARNE_FUZZ_CHECK(bytes.size() <= kMaxReceivedPayload);
        const ReportImage image(bytes);
        if (image.isComplete()) {
            for (std::size_t i = 0; i < ReportImage::kEntryCount; ++i) {
                presentEntries += image.isPresent(i) ? 1 : 0;
            }
        }
        ++writes;
    }
    int writes = 0;
    std::size_t presentEntries = 0;

private:
    const SharedState& shared_;
};

class FakeButton : public GetReportButton {
public:
    void setText(const std::string& t) override {
        VARNE_FUZZ_CHECK(t == kGetReportText || t == kGettingReportText || t == kConnectTesterText);
        text = t;
    }
    void setEnabled(bool e) override { enabled = e; }
    std::string text;
    bool enabled = false;
};

// Everything one download needs, made afresh for every input.
struct Rig {
    SharedState shared;
    LinkLayer link;
    DownloadSession session{link, shared};
    FakePort port;
    FakeFinder finder;
    FakeReport report{shared};
    FakeButton button;
    CheckingMessageSink messages;
    UiStepController controller{{shared, link, session, port, finder, report, button, messages}};

    Rig() {
        link.configure(session);
        shared.sessionState = SessionState::Idle;
    }
};

std::int32_t elapsedMs(FuzzedDataProvider& in) {
    static constexpr std::array<std::int32_t, 10> kTypical{
        kDialogTickMs,
        20,
        1,
        0,
        100,
        1500,
        2500,
        -1000,
        std::numeric_limits<std::int32_t>::max(),
        std::numeric_limits<std::int32_t>::min()};
    if (in.ConsumeBool()) {
        return kTypical[in.ConsumeIntegralInRange<std::size_t>(0, kTypical.size() - 1)];
    }
    return in.ConsumeIntegral<std::int32_t>();
}

// A reply as the tester would send it: marker, body, check byte; sometimes with a bad check.
std::vector<std::uint8_t> testerReply(FuzzedDataProvider& in) {
    const bool handshake = in.ConsumeBool();
    const std::size_t length =
        handshake ? 11 : in.ConsumeIntegralInRange<std::size_t>(2, kMaxReceivedPayload + 8);
    std::vector<std::uint8_t> reply = in.ConsumeBytes<std::uint8_t>(length - 1);
    reply.resize(length - 1);
    reply[0] = 0xAA;
    reply.push_back(checkByte(reply));
    if (in.ConsumeBool()) {
        reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
    }
    return reply;
}

void checkInvariants(const Rig& rig) {
    VARNE_FUZZ_CHECK(rig.link.transmitQueueCount() <= LinkLayer::kQueueDepth);
    VARNE_FUZZ_CHECK(rig.link.receiveQueueCount() <= LinkLayer::kQueueDepth);
    VARNE_FUZZ_CHECK(rig.link.currentFrame().size() <= kReceiveFrameCapacity);
    VARNE_FUZZ_CHECK(rig.link.state() != LinkState::Unconfigured);
    VARNE_FUZZ_CHECK(rig.shared.reportImage.bytes().size() <= kMaxReceivedPayload);
    const auto pending = rig.link.pendingFrame();
    VARNE_FUZZ_CHECK(pending.empty() || pending.size() <= kTransmitFrameCapacity);
    // While a reply is awaited its timer runs; it is never left waiting with nothing to end it.
    if (rig.link.state() == LinkState::AwaitingReply) {
        VARNE_FUZZ_CHECK(rig.link.replyTimer().active());
    }
}

enum class Operation : std::uint8_t {
    Tick,
    ReceiveBlock,
    FeedReply,
    PressGetReport,
    Start,
    ChangeDiscovery,
    ChangePortOpening,
    LinkStepsByHand,
    TakePendingFrame,
    EventInAnySessionState,
    kMaxValue = EventInAnySessionState,
};

void runOperation(Rig& rig, FuzzedDataProvider& in) {
    switch (in.ConsumeEnum<Operation>()) {
    case Operation::Tick:
        timerTick(rig.link, rig.session, elapsedMs(in), rig.controller);
        break;
    case Operation::ReceiveBlock: {
        const auto length = in.ConsumeIntegralInRange<std::size_t>(0, kReceiveFrameCapacity + 16);
        const auto block = in.ConsumeBytes<std::uint8_t>(length);
        rig.link.acceptReceivedBlock(block);
        break;
    }
    case Operation::FeedReply: {
        const auto reply = testerReply(in);
        if (rig.port.open) {
            rig.link.acceptReceivedBlock(reply);
        }
        break;
    }
    case Operation::PressGetReport:
        rig.controller.OnGetReport();
        break;
    case Operation::Start:
        rig.session.start();
        break;
    case Operation::ChangeDiscovery:
        rig.finder.found = in.ConsumeBool();
        break;
    case Operation::ChangePortOpening:
        rig.port.canOpen = in.ConsumeBool();
        break;
    case Operation::LinkStepsByHand:
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
        case 0:
            rig.link.countDown(elapsedMs(in));
            break;
        case 1:
            rig.link.receiveStep();
            break;
        case 2:
            rig.link.transmitStep();
            break;
        case 3:
            rig.session.step();
            break;
        default:
            rig.controller.run();
            break;
        }
        break;
    case Operation::TakePendingFrame:
        rig.link.takePendingFrame();
        break;
    case Operation::EventInAnySessionState: {
        rig.shared.sessionState = static_cast<SessionState>(
            in.ConsumeIntegralInRange<int>(static_cast<int>(SessionState::Initialised),
                                           static_cast<int>(SessionState::ReportAccepted)));
        static constexpr std::array<LinkEvent, 3> kEvents{
            LinkEvent::FrameWhileIdle, LinkEvent::Reply, LinkEvent::ReplyTimeout};
        const LinkEvent event = kEvents[in.ConsumeIntegralInRange<std::size_t>(0, 2)];
        // The link layer only ever hands over well-framed frames.
        const auto payload =
            in.ConsumeBool()
                ? testerReply(in)
                : in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 64));
        std::vector<std::uint8_t> frame(payload.size() + kFrameOverhead);
        writeFrame(frame, kReceiveStartByte, kReceivedFrameCommand, payload);
        std::uint16_t value = kReplyRejected;
        rig.session.onLinkEvent(event, frame, value);
        break;
    }
    }
}

} // namespace
} // namespace varne::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varne::fuzz;
    FuzzedDataProvider in(data, size);
    // The link layer holds several frames of fixed storage: too large for the stack.
    auto rig = std::make_unique<Rig>();
    rig->controller.initialDiscovery();
    for (int operations = 0; operations < 200 && in.remaining_bytes() > 0; ++operations) {
        runOperation(*rig, in);
        checkInvariants(*rig);
    }
    return 0;
}
