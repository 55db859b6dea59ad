#include "link/DownloadSession.h"

#include "ScriptedTester.h"
#include "link/DownloadRequest.h"
#include "link/LinkLayer.h"
#include "link/SharedState.h"
#include "link/TimerTick.h"
#include "report/ReportImageBuilder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace varne {
namespace {

using test::handshakeReply;
using test::ScriptedTester;
using test::withCheckByte;
using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

Bytes sampleReportReply() {
    ReportImageBuilder builder;
    builder.entry(0, {.year = 26, .testType = 3}).values(0, 1.5F, 2.5F, 3.5F);
    return builder.replyPayload();
}

// One download as the dialog (or the command-line tool) runs it, with the scripted tester
// standing in for the UI step and the tester on the cable.
class Download {
public:
    explicit Download(std::int32_t tickMs,
                      std::uint16_t stepKey = DownloadSession::kReportDownloadStepKey)
        : tickMs_(tickMs), session(link, shared, stepKey) {
        link.configure(session);
        shared.sessionState = SessionState::Idle;
        tester.answer(kHandshakeCommand, handshakeReply(0x87));
        tester.answer(kReportCommand, sampleReportReply());
    }

    void tick() { timerTick(link, session, tickMs_, tester); }

    // Ticks until `done` holds, and gives the tick at which it first did (0 if never).
    int tickUntil(const std::function<bool()>& done, int limit = 500) {
        while (tester.ticks() < limit) {
            tick();
            if (done()) {
                return tester.ticks();
            }
        }
        return 0;
    }

    int tickUntilReportReady() {
        return tickUntil([this] { return shared.uiPhase == UiPhase::ReportReady; });
    }
    int tickUntilFailed() {
        return tickUntil([this] { return shared.outcome == DownloadOutcome::FailedNotReported; });
    }

private:
    std::int32_t tickMs_;

public:
    SharedState shared;
    LinkLayer link;
    DownloadSession session;
    ScriptedTester tester{link};
};

class DownloadByTickPeriod : public ::testing::TestWithParam<std::int32_t> {};

INSTANTIATE_TEST_SUITE_P(DialogAndConsoleTicks, DownloadByTickPeriod, ::testing::Values(1000, 20));

TEST_P(DownloadByTickPeriod, PromptRepliesDeliverTheHandshakeValueAndTheReportImage) {
    auto d = std::make_unique<Download>(GetParam());
    d->tick();
    EXPECT_TRUE(d->tester.written().empty()) << "nothing is sent before a start";

    d->session.start();
    EXPECT_TRUE(d->shared.busy);
    EXPECT_EQ(d->shared.uiPhase, UiPhase::Getting);
    const int started = d->tester.ticks();
    EXPECT_EQ(d->tickUntilReportReady() - started, 4);

    // Handshake at the first tick after start; its reply arrives before the next tick, the
    // report request follows at the second tick after that, and the report is ready at the
    // tick after its reply arrived.
    ASSERT_EQ(d->tester.written().size(), 2u);
    EXPECT_EQ(d->tester.written()[0].tick - started, 1);
    EXPECT_EQ(d->tester.written()[0].payload, ScriptedTester::handshakeRequest());
    EXPECT_EQ(d->tester.written()[1].tick - started, 3);
    EXPECT_EQ(d->tester.written()[1].payload, ScriptedTester::reportRequest());

    EXPECT_EQ(d->shared.sessionState, SessionState::ReportAccepted);
    EXPECT_EQ(d->shared.outcome, DownloadOutcome::None);
    EXPECT_EQ(d->shared.handshakeValue, -121) << "0x87 read as a signed byte";
    EXPECT_EQ(toBytes(d->shared.reportImage.bytes()), sampleReportReply());
    EXPECT_EQ(d->link.state(), LinkState::Idle);

    // A stray block after the report leaves the delivered image as it was.
    ASSERT_TRUE(d->link.acceptReceivedBlock(withCheckByte(Bytes(300, 0x11))));
    d->tick();
    EXPECT_EQ(toBytes(d->shared.reportImage.bytes()), sampleReportReply());
}

TEST(DownloadRequestTest, RecordsAreByteExact) {
    EXPECT_EQ(toBytes(handshakeRequestRecord()), ScriptedTester::handshakeRequest());
    EXPECT_EQ(toBytes(reportRequestRecord()), ScriptedTester::reportRequest());
    EXPECT_EQ(ScriptedTester::handshakeRequest().back(), 0xE0);
    EXPECT_EQ(ScriptedTester::reportRequest().back(), 0xF2);
}

struct FailureCase {
    const char* name;
    std::int32_t tickMs;
    std::uint8_t command; // the request whose reply goes wrong
    Bytes reply;          // empty: the tester stays silent
    int failureTick;      // counted from the start
    SessionState stateAfter;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class DownloadFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DownloadFailure, EndsThroughTheReplyTimer) {
    const FailureCase& c = GetParam();
    auto d = std::make_unique<Download>(c.tickMs);
    if (c.reply.empty()) {
        d->tester.silence(c.command);
    } else {
        d->tester.answer(c.command, c.reply);
    }
    d->session.start();
    EXPECT_EQ(d->tickUntilFailed(), c.failureTick);
    EXPECT_EQ(d->shared.sessionState, c.stateAfter);
    EXPECT_EQ(d->shared.uiPhase, UiPhase::Getting) << "the UI step ends the download";
    EXPECT_EQ(d->shared.handshakeValue, c.command == kHandshakeCommand ? 0 : -121);
    EXPECT_TRUE(d->shared.reportImage.bytes().empty());
    EXPECT_EQ(d->link.state(), LinkState::Idle);
    EXPECT_EQ(d->link.transmitQueueCount(), 0);
}

Bytes corruptLast(Bytes bytes) {
    bytes.back() = static_cast<std::uint8_t>(bytes.back() + 1);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DownloadFailure,
    ::testing::Values(
        // Handshake failures come at the second tick after the request, report failures at
        // the third; a 20 ms tick needs 75 ticks for 1500 ms and 125 for 2500 ms.
        FailureCase{
            "NoHandshakeReply", 1000, kHandshakeCommand, {}, 3, SessionState::AwaitingHandshake},
        FailureCase{"NoReportReply", 1000, kReportCommand, {}, 6, SessionState::AwaitingReport},
        FailureCase{"NoHandshakeReplyFastTick",
                    20,
                    kHandshakeCommand,
                    {},
                    76,
                    SessionState::AwaitingHandshake},
        FailureCase{
            "NoReportReplyFastTick", 20, kReportCommand, {}, 128, SessionState::AwaitingReport},
        FailureCase{"HandshakeWrongCheckByte", 1000, kHandshakeCommand,
                    corruptLast(handshakeReply(0x05)), 3, SessionState::AwaitingHandshake},
        FailureCase{"HandshakeTooShort", 1000, kHandshakeCommand,
                    withCheckByte({0xAA, 1, 2, 3, 4, 5, 6, 7, 8}), 3,
                    SessionState::AwaitingHandshake},
        FailureCase{"HandshakeTooLong", 1000, kHandshakeCommand,
                    withCheckByte({0xAA, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 3,
                    SessionState::AwaitingHandshake},
        FailureCase{"HandshakeWrongFirstByte", 1000, kHandshakeCommand,
                    withCheckByte({0xAB, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 3,
                    SessionState::AwaitingHandshake},
        FailureCase{"ReportWrongCheckByte", 1000, kReportCommand, corruptLast(sampleReportReply()),
                    6, SessionState::AwaitingReport}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

TEST(DownloadSessionTest, ReplyAfterAFailureChangesNothingAndAStartBeginsAgain) {
    auto d = std::make_unique<Download>(kDialogTickMs);
    d->tester.silence(kReportCommand);
    d->session.start();
    ASSERT_EQ(d->tickUntilFailed(), 6);
    // What the UI step does when it tells the user.
    d->shared.outcome = DownloadOutcome::FailureReported;
    d->shared.uiPhase = UiPhase::Idle;
    d->shared.busy = false;

    ASSERT_TRUE(d->link.acceptReceivedBlock(sampleReportReply()));
    d->tick();
    d->tick();
    EXPECT_EQ(d->shared.sessionState, SessionState::AwaitingReport);
    EXPECT_EQ(d->shared.uiPhase, UiPhase::Idle);
    EXPECT_EQ(d->shared.outcome, DownloadOutcome::FailureReported);
    EXPECT_TRUE(d->shared.reportImage.bytes().empty());
    EXPECT_EQ(d->tester.written().size(), 2u);

    d->tester.answer(kReportCommand, sampleReportReply());
    d->session.start();
    EXPECT_EQ(d->shared.outcome, DownloadOutcome::None);
    const int restarted = d->tester.ticks();
    EXPECT_EQ(d->tickUntilReportReady() - restarted, 4);
    ASSERT_EQ(d->tester.written().size(), 4u);
    EXPECT_EQ(d->tester.written()[2].payload, ScriptedTester::handshakeRequest());
    EXPECT_EQ(toBytes(d->shared.reportImage.bytes()), sampleReportReply());
}

TEST(DownloadSessionTest, AFailedDownloadKeepsTheEarlierReportImage) {
    auto d = std::make_unique<Download>(kDialogTickMs);
    d->session.start();
    ASSERT_NE(d->tickUntilReportReady(), 0);
    d->shared.uiPhase = UiPhase::Idle;

    d->tester.answer(kReportCommand, corruptLast(sampleReportReply()));
    d->session.start();
    ASSERT_NE(d->tickUntilFailed(), 0);
    EXPECT_EQ(toBytes(d->shared.reportImage.bytes()), sampleReportReply());
}

TEST(DownloadSessionTest, FailsAtOnceWhenTheRequestCannotBeQueued) {
    auto d = std::make_unique<Download>(kDialogTickMs);
    const Bytes filler(25, 0);
    ASSERT_TRUE(d->link.queueFrame({1, 0x01, filler, 60000}));
    ASSERT_TRUE(d->link.queueFrame({1, 0x02, filler, 60000}));
    d->session.start();
    EXPECT_EQ(d->tickUntilFailed(), 1);
}

TEST(DownloadSessionTest, UnknownStepKeyLeavesTheTickWithoutASessionStep) {
    auto d = std::make_unique<Download>(kDialogTickMs, 7);
    EXPECT_FALSE(d->session.hasStep());
    d->session.start();
    for (int i = 0; i < 5; ++i) {
        d->tick();
    }
    EXPECT_TRUE(d->tester.written().empty());
    EXPECT_EQ(d->shared.sessionState, SessionState::StartRequested);
}

} // namespace
} // namespace varne
