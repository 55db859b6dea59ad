#include "link/UiStepController.h"

#include "link/CheckByte.h"
#include "link/DownloadSession.h"
#include "link/GetReportButton.h"
#include "link/LinkLayer.h"
#include "link/ReportGenerator.h"
#include "link/SharedState.h"
#include "link/TesterFinder.h"
#include "link/TesterPort.h"
#include "link/TimerTick.h"
#include "support/RecordingMessageSink.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace varne {
namespace {

class FakePort : public TesterPort {
public:
    int OpenTesterPort() override {
        ++opens;
        open = canOpen;
        return canOpen ? 1 : 0;
    }
    void SendPayload(std::span<const std::uint8_t> frame) override {
        const std::size_t n = frame[2] + 256u * frame[3];
        written.emplace_back(frame.begin() + 4, frame.begin() + 4 + static_cast<long>(n));
    }
    bool IsOpen() const override { return open; }
    void Close() override {
        open = false;
        ++closes;
    }
    bool canOpen = true;
    bool open = false;
    int opens = 0;
    int closes = 0;
    std::vector<std::vector<std::uint8_t>> written;
};

class FakeFinder : public TesterFinder {
public:
    bool FindTesterPort() override { return found; }
    bool found = true;
};

class FakeReport : public ReportGenerator {
public:
    void WriteReport() override {
        ++writes;
        if (duringWrite) {
            duringWrite();
        }
    }
    int writes = 0;
    std::function<void()> duringWrite;
};

class FakeButton : public GetReportButton {
public:
    void setText(const std::string& t) override { text = t; }
    void setEnabled(bool e) override { enabled = e; }
    std::string text;
    bool enabled = false;
};

std::vector<std::uint8_t> handshakeReply() {
    std::vector<std::uint8_t> reply{0xAA, 1, 2, 3, 4, 5, 6, 7, 7, 0};
    reply.push_back(checkByte(reply));
    return reply;
}

std::vector<std::uint8_t> reportReply() {
    std::vector<std::uint8_t> reply(5120, 0);
    reply[0] = 0xAA;
    reply.push_back(checkByte(reply));
    return reply;
}

class UiStepControllerTest : public testing::Test {
protected:
    UiStepControllerTest() { link.configure(session); }

    void tick() { timerTick(link, session, kDialogTickMs, controller); }

    SharedState shared;
    LinkLayer link;
    DownloadSession session{link, shared};
    FakePort port;
    FakeFinder finder;
    FakeReport report;
    FakeButton button;
    test::RecordingMessageSink messages;
    UiStepController controller{{shared, link, session, port, finder, report, button, messages}};
};

TEST_F(UiStepControllerTest, WhileIdleTheButtonFollowsDiscoveryAtEveryTick) {
    controller.initialDiscovery();
    EXPECT_EQ(button.text, kGetReportText);
    EXPECT_TRUE(button.enabled);

    finder.found = false;
    tick();
    EXPECT_EQ(button.text, kConnectTesterText);
    EXPECT_FALSE(button.enabled);

    finder.found = true;
    tick();
    EXPECT_EQ(button.text, kGetReportText);
    EXPECT_TRUE(button.enabled);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(UiStepControllerTest, WithoutATesterAtStartTheButtonAsksForOne) {
    finder.found = false;
    controller.initialDiscovery();
    EXPECT_EQ(button.text, kConnectTesterText);
    EXPECT_FALSE(button.enabled);
    tick();
    EXPECT_TRUE(messages.messages.empty()) << "no failure message for a tester never started";
}

TEST_F(UiStepControllerTest, ADownloadRunsFromThePressToTheWrittenReport) {
    controller.initialDiscovery();
    ASSERT_TRUE(controller.OnGetReport());
    EXPECT_EQ(button.text, kGettingReportText);
    EXPECT_FALSE(button.enabled);
    EXPECT_TRUE(shared.busy);

    tick(); // handshake request written
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0].size(), 25u);
    EXPECT_EQ(port.written[0][0], 0x0B);
    link.acceptReceivedBlock(handshakeReply());
    tick(); // handshake accepted
    EXPECT_EQ(port.written.size(), 1u);
    finder.found = false; // discovery is not consulted while a download runs
    tick();               // report request written
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1][0], 0x1E);
    EXPECT_EQ(button.text, kGettingReportText);
    EXPECT_FALSE(button.enabled);
    link.acceptReceivedBlock(reportReply());
    EXPECT_EQ(report.writes, 0);
    tick(); // report accepted and written in the same tick
    EXPECT_EQ(report.writes, 1);
    EXPECT_FALSE(port.open);
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(button.text, kGetReportText);
    EXPECT_TRUE(button.enabled);
    EXPECT_FALSE(shared.busy);
    EXPECT_EQ(shared.reportImage.bytes().size(), 5121u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(UiStepControllerTest, ANoReplyFailureIsToldOnceAndLeavesThePortOpen) {
    controller.initialDiscovery();
    ASSERT_TRUE(controller.OnGetReport());
    tick(); // handshake written
    tick(); // 500 ms left
    EXPECT_TRUE(messages.messages.empty());
    tick(); // expired: failure told
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kCommunicationFailedText);
    EXPECT_EQ(button.text, kGetReportText);
    EXPECT_TRUE(button.enabled);
    EXPECT_FALSE(shared.busy);
    EXPECT_TRUE(port.open);
    for (int i = 0; i < 3; ++i) {
        tick();
    }
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(report.writes, 0);

    // A second press starts over with a handshake request.
    ASSERT_TRUE(controller.OnGetReport());
    tick();
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1][0], 0x0B);
}

TEST_F(UiStepControllerTest, ATickDuringReportGenerationDoesNotWriteTheReportAgain) {
    report.duringWrite = [this] { controller.run(); };
    ASSERT_TRUE(controller.OnGetReport());
    tick();
    link.acceptReceivedBlock(handshakeReply());
    tick();
    tick();
    link.acceptReceivedBlock(reportReply());
    tick();
    EXPECT_EQ(report.writes, 1);
}

TEST_F(UiStepControllerTest, AFailureMessageBoxThatLetsTicksThroughIsShownOnce) {
    class ReentrantSink : public MessageSink {
    public:
        explicit ReentrantSink(std::function<void()> tickInside) : tick_(std::move(tickInside)) {}
        void show(const std::string&, const std::string& text, MessageKind) override {
            shown.push_back(text);
            if (shown.size() == 1) {
                tick_();
            }
        }
        std::vector<std::string> shown;

    private:
        std::function<void()> tick_;
    };
    ReentrantSink sink([this] { tick(); });
    UiStepController reentrant({shared, link, session, port, finder, report, button, sink});
    ASSERT_TRUE(reentrant.OnGetReport());
    for (int i = 0; i < 4; ++i) {
        timerTick(link, session, kDialogTickMs, reentrant);
    }
    EXPECT_EQ(sink.shown, std::vector<std::string>{kCommunicationFailedText});
}

TEST_F(UiStepControllerTest, APressWithoutATesterOrWithAPortThatWillNotOpenStartsNothing) {
    struct Case {
        bool found;
        bool canOpen;
    };
    for (const Case c : {Case{false, true}, Case{true, false}}) {
        test::RecordingMessageSink sink;
        UiStepController ui({shared, link, session, port, finder, report, button, sink});
        finder.found = c.found;
        port.canOpen = c.canOpen;
        button.text = kGetReportText;
        EXPECT_FALSE(ui.OnGetReport());
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, kTesterNotFoundText);
        EXPECT_EQ(shared.sessionState, SessionState::Initialised);
        EXPECT_EQ(button.text, kGetReportText);
    }
}

TEST_F(UiStepControllerTest, APortThatFailsToReopenForAFrameEndsInTheFailurePath) {
    ASSERT_TRUE(controller.OnGetReport());
    port.canOpen = false;
    tick();
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(link.pendingFrame().empty());
    tick();
    tick();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kCommunicationFailedText);
}

} // namespace
} // namespace varne
