#include "link/LinkLayer.h"

#include "link/CheckByte.h"

#include <algorithm>

namespace varne {

LinkLayer::LinkLayer() = default;

void LinkLayer::configure(LinkEventHandler& handler) {
    handler_ = &handler;
    state_ = LinkState::Idle;
    pendingSlot_ = QueueCounters::kNoSlot;
}

bool LinkLayer::queueFrame(const TransmitRequest& request) {
    if (request.payload.size() > kMaxTransmitPayload) {
        return false;
    }
    const std::uint8_t index = transmitQueue_.reserve();
    if (index == QueueCounters::kNoSlot) {
        return false;
    }
    TransmitSlot& slot = transmitSlots_[index];
    slot.mode = request.mode;
    slot.frameLength = static_cast<std::uint16_t>(
        writeFrame(slot.frame, kTransmitStartByte, request.command, request.payload));
    slot.replyTimeoutMs = request.replyTimeoutMs;
    return true;
}

bool LinkLayer::acceptReceivedBlock(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxReceivedPayload) {
        return false;
    }
    const std::uint8_t index = receiveQueue_.reserve();
    if (index == QueueCounters::kNoSlot) {
        return false;
    }
    writeFrame(receiveSlots_[index], kReceiveStartByte, kReceivedFrameCommand, bytes);
    return true;
}

void LinkLayer::expireReplyTimer() {
    if (state_ == LinkState::AwaitingReply && replyTimer_.active()) {
        replyTimer_.arm(0);
    }
}

void LinkLayer::receiveStep() {
    if (replyTimer_.expired()) {
        replyTimer_.stop();
        std::uint16_t unused = 0;
        if (handler_ != nullptr) {
            handler_->onLinkEvent(LinkEvent::ReplyTimeout, currentFrame(), unused);
        }
        state_ = LinkState::Idle;
        finishTransmission();
    }
    deliverReceivedFrame();
}

void LinkLayer::deliverReceivedFrame() {
    const std::uint8_t index = receiveQueue_.take();
    if (index == QueueCounters::kNoSlot) {
        return;
    }
    const ReceiveSlot& slot = receiveSlots_[index];
    const std::size_t length = framePayloadLength(slot) + kFrameOverhead;
    if (length > slot.size()) {
        return; // cannot happen: acceptReceivedBlock never fills a slot beyond its room
    }
    std::copy_n(slot.begin(), length, currentFrame_.begin());
    currentFrameLength_ = length;

    const std::span<const std::uint8_t> frame = currentFrame();
    if (checkByte(frame.first(length - 1)) != frame[length - 1]) {
        return;
    }
    switch (state_) {
    case LinkState::Idle: {
        auto frameLength = static_cast<std::uint16_t>(length);
        if (handler_ != nullptr) {
            handler_->onLinkEvent(LinkEvent::FrameWhileIdle, frame, frameLength);
        }
        break;
    }
    case LinkState::AwaitingReply: {
        std::uint16_t verdict = kReplyRejected;
        if (handler_ != nullptr) {
            handler_->onLinkEvent(LinkEvent::Reply, frame, verdict);
        }
        if (verdict == kReplyAccepted) {
            state_ = LinkState::Idle;
            finishTransmission();
        }
        break;
    }
    case LinkState::Unconfigured:
        break;
    }
}

void LinkLayer::transmitStep() {
    if (state_ != LinkState::Idle) {
        return;
    }
    const std::uint8_t index = transmitQueue_.head();
    if (index == QueueCounters::kNoSlot) {
        return;
    }
    replyTimer_.arm(transmitSlots_[index].replyTimeoutMs);
    state_ = LinkState::AwaitingReply;
    pendingSlot_ = index;
}

void LinkLayer::finishTransmission() {
    pendingSlot_ = QueueCounters::kNoSlot;
    replyTimer_.stop();
    transmitQueue_.take();
}

std::span<const std::uint8_t> LinkLayer::pendingFrame() const {
    if (pendingSlot_ == QueueCounters::kNoSlot) {
        return {};
    }
    const TransmitSlot& slot = transmitSlots_[pendingSlot_];
    return std::span<const std::uint8_t>(slot.frame).first(slot.frameLength);
}

std::span<const std::uint8_t> LinkLayer::takePendingFrame() {
    const std::span<const std::uint8_t> frame = pendingFrame();
    pendingSlot_ = QueueCounters::kNoSlot;
    return frame;
}

std::span<const std::uint8_t> LinkLayer::currentFrame() const {
    return std::span<const std::uint8_t>(currentFrame_).first(currentFrameLength_);
}

} // namespace varne
