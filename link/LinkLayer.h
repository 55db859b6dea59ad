#pragma once

#include "link/LinkEventHandler.h"
#include "link/LinkFrame.h"
#include "link/QueueCounters.h"
#include "link/SoftwareTimer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varne {

enum class LinkState : std::uint16_t { Unconfigured = 0, Idle = 1, AwaitingReply = 2 };

// The frame that queueFrame builds and the transmit step hands out.
struct TransmitRequest {
    static constexpr std::uint16_t kModeExpectsReply = 1;

    std::uint16_t mode = kModeExpectsReply;
    std::uint8_t command = 0;
    std::span<const std::uint8_t> payload; // copied into the slot
    std::int32_t replyTimeoutMs = 0;
};

// Frames requests to the tester and the tester's replies back: a two-slot transmit queue, a
// two-slot receive queue, one request in flight at a time guarded by a reply timer, and one
// event handler told of replies and timeouts. All storage is fixed; nothing allocates or
// blocks. Driven from the timer tick (countDown, receiveStep, transmitStep), from the serial
// driver (acceptReceivedBlock, takePendingFrame) and, once, from the owner's set-up.
class LinkLayer {
public:
    static constexpr std::uint8_t kQueueDepth = 2;

    LinkLayer();
    LinkLayer(const LinkLayer&) = delete;
    LinkLayer& operator=(const LinkLayer&) = delete;

    // Makes the link idle and ready, with `handler` told of its events. The handler must
    // outlive the link layer (or the next configure).
    void configure(LinkEventHandler& handler);

    // Queues a frame for sending. False when the transmit queue is full or the payload is
    // longer than a transmit slot holds (kMaxTransmitPayload); nothing is queued then.
    bool queueFrame(const TransmitRequest& request);

    // Frames one block of received bytes into the receive queue. False, with nothing
    // queued, when the block is empty, longer than kMaxReceivedPayload, or no receive slot
    // is free. A block that does not fit is never cut down.
    bool acceptReceivedBlock(std::span<const std::uint8_t> bytes);
    bool hasFreeReceiveSlot() const { return !receiveQueue_.full(); }

    // Counts the reply timer down by the milliseconds since the previous tick.
    void countDown(std::int32_t elapsedMs) { replyTimer_.countDown(elapsedMs); }
    // Ends the wait for a reply at once, as if its timer had run out: the next receive step
    // reports the timeout. For a line that is gone, from which no reply can come.
    void expireReplyTimer();
    // Reports an expired reply timer, then handles at most one received frame.
    void receiveStep();
    // Hands the oldest queued frame out as the pending frame and arms its reply timer,
    // unless a reply is still awaited.
    void transmitStep();

    // The frame handed out by the transmit step and not yet written; empty when none.
    // Its payload (framePayload) is what goes on the wire.
    std::span<const std::uint8_t> pendingFrame() const;
    // The pending frame, which is then cleared. The bytes stay valid until the transmission
    // ends (reply accepted or timed out).
    std::span<const std::uint8_t> takePendingFrame();

    LinkState state() const { return state_; }
    const SoftwareTimer& replyTimer() const { return replyTimer_; }
    std::uint8_t transmitQueueCount() const { return transmitQueue_.count(); }
    std::uint8_t receiveQueueCount() const { return receiveQueue_.count(); }
    // The last received frame, valid until the next one replaces it; empty before the first.
    std::span<const std::uint8_t> currentFrame() const;

private:
    struct TransmitSlot {
        std::uint16_t mode = 0;
        std::uint16_t frameLength = 0;
        std::int32_t replyTimeoutMs = 0;
        std::array<std::uint8_t, kTransmitFrameCapacity> frame{};
    };
    using ReceiveSlot = std::array<std::uint8_t, kReceiveFrameCapacity>;

    void deliverReceivedFrame();
    void finishTransmission();

    std::array<TransmitSlot, kQueueDepth> transmitSlots_{};
    std::array<ReceiveSlot, kQueueDepth> receiveSlots_{};
    std::array<std::uint8_t, kReceiveFrameCapacity> currentFrame_{};
    std::size_t currentFrameLength_ = 0;
    QueueCounters transmitQueue_{kQueueDepth};
    QueueCounters receiveQueue_{kQueueDepth};
    SoftwareTimer replyTimer_;
    LinkState state_ = LinkState::Unconfigured;
    LinkEventHandler* handler_ = nullptr;
    std::uint8_t pendingSlot_ = QueueCounters::kNoSlot;
};

} // namespace varne
