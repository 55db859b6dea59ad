#include "link/LinkLayer.h"

#include "RecordingLinkHandler.h"
#include "link/CheckByte.h"
#include "link/LinkFrame.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace varne {
namespace {

using test::RecordingLinkHandler;
using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

Bytes counting(std::size_t size, std::uint8_t first = 1) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

class LinkLayerTest : public ::testing::Test {
protected:
    LinkLayerTest() { link.configure(handler); }

    // The link layer's share of a timer tick.
    void tick(std::int32_t elapsedMs = 1000) {
        link.countDown(elapsedMs);
        link.receiveStep();
        link.transmitStep();
    }

    bool queue(std::span<const std::uint8_t> payload, std::int32_t timeoutMs = 1500,
               std::uint8_t command = 0x1E) {
        return link.queueFrame({TransmitRequest::kModeExpectsReply, command, payload, timeoutMs});
    }

    RecordingLinkHandler handler;
    LinkLayer link;
};

TEST_F(LinkLayerTest, BuildsTransmitFramesAroundThePayload) {
    const Bytes payload = counting(25, 0xF0);
    ASSERT_TRUE(queue(payload, 1500, 0x1E));
    EXPECT_TRUE(link.pendingFrame().empty()) << "handed out only by the transmit step";
    link.transmitStep();

    const Bytes frame = toBytes(link.pendingFrame());
    ASSERT_EQ(frame.size(), 30u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{2, 0x1E, 25, 0}));
    EXPECT_EQ(toBytes(framePayload(frame)), payload);
    EXPECT_EQ(frame.back(), checkByte(std::span(frame).first(29)));
    EXPECT_EQ(link.state(), LinkState::AwaitingReply);
    EXPECT_EQ(link.replyTimer().count(), 1500);
}

TEST_F(LinkLayerTest, QueueFrameTakesPayloadsUpToTheSlotRoom) {
    struct Case {
        std::size_t payloadSize;
        bool queued;
        std::size_t frameLength;
    };
    for (const Case& c : {Case{0, true, 5}, Case{25, true, 30}, Case{26, false, 0}}) {
        LinkLayer fresh;
        fresh.configure(handler);
        const Bytes payload = counting(c.payloadSize);
        EXPECT_EQ(fresh.queueFrame({1, 0x0B, payload, 1500}), c.queued) << c.payloadSize;
        fresh.transmitStep();
        EXPECT_EQ(fresh.takePendingFrame().size(), c.frameLength) << c.payloadSize;
        EXPECT_TRUE(fresh.pendingFrame().empty()) << "taking clears the pending frame";
    }
}

TEST(LinkFrameTest, PayloadViewNeverReadsPastTheBuffer) {
    const Bytes frame{1, 0x10, 2, 0, 0xAA, 0xBB, 0x66};
    EXPECT_EQ(toBytes(framePayload(frame)), (Bytes{0xAA, 0xBB}));
    EXPECT_EQ(framePayloadLength(frame), 2);
    EXPECT_TRUE(framePayload(std::span(frame).first(6)).empty()) << "check byte missing";
    EXPECT_TRUE(framePayload(Bytes{1, 0x10, 0xFF, 0xFF, 0}).empty()) << "length beyond buffer";
    EXPECT_TRUE(framePayload(Bytes{1, 0x10}).empty()) << "no header";
}

TEST_F(LinkLayerTest, FramesAReceivedBlockAndReportsItWhileIdle) {
    const Bytes block = counting(11, 0x40);
    ASSERT_TRUE(link.acceptReceivedBlock(block));
    tick();

    ASSERT_EQ(handler.events.size(), 1u);
    const test::RecordedLinkEvent& e = handler.events[0];
    EXPECT_EQ(e.event, LinkEvent::FrameWhileIdle);
    EXPECT_EQ(e.valueIn, 16);
    ASSERT_EQ(e.frame.size(), 16u);
    EXPECT_EQ(Bytes(e.frame.begin(), e.frame.begin() + 4), (Bytes{1, 0x10, 11, 0}));
    EXPECT_EQ(toBytes(framePayload(e.frame)), block);
    EXPECT_EQ(e.frame.back(), checkByte(std::span(e.frame).first(15)));
    EXPECT_EQ(toBytes(link.currentFrame()), e.frame);
}

TEST_F(LinkLayerTest, ReceivedBlocksThatDoNotFitASlotAreDroppedWhole) {
    struct Case {
        std::size_t size;
        bool accepted;
    };
    for (const Case& c :
         {Case{0, false}, Case{1, true}, Case{5215, true}, Case{5216, false}, Case{70000, false}}) {
        LinkLayer fresh;
        RecordingLinkHandler recorder;
        fresh.configure(recorder);
        const Bytes block = counting(c.size);
        EXPECT_EQ(fresh.acceptReceivedBlock(block), c.accepted) << c.size;
        EXPECT_EQ(fresh.receiveQueueCount(), c.accepted ? 1 : 0) << c.size;
        fresh.receiveStep();
        ASSERT_EQ(recorder.events.size(), c.accepted ? 1u : 0u) << c.size;
        if (c.accepted) {
            EXPECT_EQ(toBytes(framePayload(recorder.events[0].frame)), block) << c.size;
        }
    }
}

TEST_F(LinkLayerTest, TwoSlotsEachWayAndTheThirdIsRefused) {
    const Bytes payload = counting(25);
    EXPECT_TRUE(queue(payload));
    EXPECT_TRUE(queue(payload));
    EXPECT_FALSE(queue(payload));
    EXPECT_EQ(link.transmitQueueCount(), 2);

    EXPECT_TRUE(link.acceptReceivedBlock(Bytes{0x01}));
    EXPECT_TRUE(link.hasFreeReceiveSlot());
    EXPECT_TRUE(link.acceptReceivedBlock(Bytes{0x02}));
    EXPECT_FALSE(link.hasFreeReceiveSlot());
    EXPECT_FALSE(link.acceptReceivedBlock(Bytes{0x03}));

    // One received frame per step, oldest first; the third block never arrives.
    handler.verdict = kReplyRejected;
    link.receiveStep();
    link.receiveStep();
    link.receiveStep();
    ASSERT_EQ(handler.events.size(), 2u);
    EXPECT_EQ(framePayload(handler.events[0].frame)[0], 0x01);
    EXPECT_EQ(framePayload(handler.events[1].frame)[0], 0x02);
}

TEST_F(LinkLayerTest, AcceptedReplyEndsTheTransmissionAndFreesItsSlot) {
    const Bytes first = counting(25, 1);
    const Bytes second = counting(25, 100);
    ASSERT_TRUE(queue(first, 2500));
    ASSERT_TRUE(queue(second));
    tick();
    EXPECT_EQ(toBytes(framePayload(link.takePendingFrame())), first);

    tick(); // the second frame waits while the first one's reply is awaited
    EXPECT_TRUE(link.pendingFrame().empty());
    EXPECT_EQ(link.state(), LinkState::AwaitingReply);

    // Reply in the queue before the next tick: delivered then, as the reply.
    ASSERT_TRUE(link.acceptReceivedBlock(Bytes{0x55, 0x66}));
    link.countDown(1000);
    link.receiveStep();
    EXPECT_EQ(handler.codes(), (std::vector{LinkEvent::Reply}));
    EXPECT_EQ(handler.events[0].valueIn, kReplyRejected);
    EXPECT_EQ(link.state(), LinkState::Idle);
    EXPECT_FALSE(link.replyTimer().active());
    EXPECT_EQ(link.transmitQueueCount(), 1);

    link.transmitStep();
    EXPECT_EQ(toBytes(framePayload(link.pendingFrame())), second);
}

TEST_F(LinkLayerTest, RejectedReplyKeepsWaitingUntilTheReplyTimerEnds) {
    handler.verdict = kReplyRejected;
    ASSERT_TRUE(queue(counting(25)));
    tick(); // sent, reply timer 1500
    ASSERT_TRUE(link.acceptReceivedBlock(Bytes{0x01, 0x01}));
    tick(); // 500 left
    EXPECT_EQ(handler.codes(), (std::vector{LinkEvent::Reply}));
    EXPECT_EQ(link.state(), LinkState::AwaitingReply);

    tick(); // -500: expired
    EXPECT_EQ(handler.codes(), (std::vector{LinkEvent::Reply, LinkEvent::ReplyTimeout}));
    EXPECT_EQ(link.state(), LinkState::Idle);
    EXPECT_EQ(link.transmitQueueCount(), 0);
    EXPECT_TRUE(link.pendingFrame().empty());
    tick();
    EXPECT_TRUE(link.pendingFrame().empty()) << "a timed-out request is not sent again";
}

TEST_F(LinkLayerTest, TimeoutComesBeforeAReplyFirstSeenInTheSameStep) {
    ASSERT_TRUE(queue(counting(25)));
    tick();
    tick();
    ASSERT_TRUE(link.acceptReceivedBlock(Bytes{0x07, 0x07}));
    tick();
    EXPECT_EQ(handler.codes(), (std::vector{LinkEvent::ReplyTimeout, LinkEvent::FrameWhileIdle}));
    EXPECT_EQ(toBytes(framePayload(handler.events[1].frame)), (Bytes{0x07, 0x07}));
}

TEST(SoftwareTimerTest, ExpiresAfterTheTicksItsDurationNeeds) {
    struct Case {
        std::int32_t durationMs;
        std::int32_t tickMs;
        int ticksToExpire;
        std::int32_t countAtExpiry;
    };
    for (const Case& c : {Case{1500, 1000, 2, -500}, Case{2500, 1000, 3, -500},
                          Case{1000, 1000, 1, 0}, Case{1500, 20, 75, 0}, Case{2500, 20, 125, 0}}) {
        SoftwareTimer timer;
        timer.arm(c.durationMs);
        int ticks = 0;
        while (!timer.expired() && ticks < 1000) {
            timer.countDown(c.tickMs);
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticksToExpire) << c.durationMs << "/" << c.tickMs;
        timer.countDown(c.tickMs);
        EXPECT_EQ(timer.count(), c.countAtExpiry) << "an expired timer counts no further";
    }
}

TEST(SoftwareTimerTest, StoppedTimersAndOddElapsedTimesLeaveTheCount) {
    SoftwareTimer timer;
    timer.arm(1500);
    timer.countDown(0);
    timer.countDown(-1000);
    EXPECT_EQ(timer.count(), 1500);
    timer.stop();
    timer.countDown(1000);
    EXPECT_EQ(timer.count(), 1500);
    EXPECT_FALSE(timer.expired());
}

} // namespace
} // namespace varne
