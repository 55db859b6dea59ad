#include "link/SerialPortDriver.h"

#include "link/CheckByte.h"
#include "link/DownloadRequest.h"
#include "link/DownloadSession.h"
#include "link/LinkFrame.h"
#include "link/LinkLayer.h"
#include "link/PortHolders.h"
#include "link/SharedState.h"
#include "sim/PseudoTerminal.h"
#include "sim/TesterSimulator.h"
#include "support/ProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace varne {
namespace {

TEST(SerialPortDriver, PortNumbersFollowTheComRuleAndTheDeviceNumber) {
    struct Case {
        const char* name;
        std::int32_t number;
    };
    for (const Case c :
         {Case{"COM3", 3}, Case{"COM12", 12}, Case{"COM", 0}, Case{"CO", 0}, Case{"COM  7x", 7},
          Case{"COM-5", -5}, Case{"COMx9", 0}, Case{"/dev/ttyUSB7", 7}, Case{"/dev/ttyS0", 0},
          Case{"/dev/pts/113", 113}, Case{"", 0}}) {
        EXPECT_EQ(SerialPortDriver::portNumberOf(c.name), c.number) << c.name;
    }
}

class SerialPortDriverTest : public testing::Test {
protected:
    SerialPortDriverTest() { link.configure(session); }

    std::unique_ptr<SerialPortDriver> driverFor(const std::string& port, SerialTiming timing) {
        return std::make_unique<SerialPortDriver>(
            shared, link, [port] { return port; }, timing);
    }

    int argc = 1;
    char name[8] = "test";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    SharedState shared;
    LinkLayer link;
    DownloadSession session{link, shared};
};

TEST_F(SerialPortDriverTest, TalksToTheSimulatorAndFramesTheWholeReplyAsOneBlock) {
    test::SimulatorProcess simulator({"--no-pace", "--handshake", "113"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    for (const SerialTiming timing : {SerialTiming::fast(), SerialTiming::faithful()}) {
        SCOPED_TRACE(timing.tickMs);
        auto driver = driverFor(simulator.devicePath().toStdString(), timing);
        QObject::connect(&driver->comm(), &CMSComm::OnComm, [&driver] { driver->OnCommEvent(); });
        ASSERT_EQ(driver->OpenTesterPort(), 1) << driver->openFailureReason();
        EXPECT_EQ(shared.portNumber,
                  SerialPortDriver::portNumberOf(simulator.devicePath().toStdString()));
        EXPECT_EQ(driver->comm().GetSettings(), "38400,n,8,1");
        EXPECT_FALSE(driver->comm().GetDTREnable());
        EXPECT_FALSE(driver->comm().GetRTSEnable());

        // A link frame goes on the wire as its payload only.
        const RequestRecord request = handshakeRequestRecord();
        std::array<std::uint8_t, kTransmitFrameCapacity> frame{};
        writeFrame(frame, kTransmitStartByte, kHandshakeCommand, request);
        shared.sessionState = SessionState::AwaitingHandshake;
        driver->SendPayload(frame);

        const auto before = link.receiveQueueCount();
        QElapsedTimer clock;
        clock.start();
        while (link.receiveQueueCount() == before && clock.elapsed() < 3000) {
            driver->comm().waitForInput(100);
        }
        ASSERT_EQ(link.receiveQueueCount(), before + 1);
        link.receiveStep(); // idle link: the frame is only parked in the current-frame buffer
        const auto reply = framePayload(link.currentFrame());
        ASSERT_EQ(reply.size(), 11u);
        EXPECT_EQ(reply[0], 0xAA);
        EXPECT_EQ(reply[8], 113);
        EXPECT_EQ(reply[10], checkByte(reply.first(10)));
        driver->Close();
        EXPECT_FALSE(driver->IsOpen());
    }
}

TEST_F(SerialPortDriverTest, OpenFailuresSayWhy) {
    test::SimulatorProcess simulator({"--no-pace"});
    const std::string device = simulator.devicePath().toStdString();
    auto first = driverFor(device, SerialTiming::fast());
    ASSERT_EQ(first->OpenTesterPort(), 1);

    struct Case {
        std::string port;
        std::string reason;
    };
    const std::vector<Case> cases{
        {device, device + " is in use by another program"},
        {"/dev/varne-no-such-port", "no such port: /dev/varne-no-such-port"},
        {"COM4", "COM4 is a Windows port name"},
        {"", "no tester port is known"},
    };
    for (const Case& c : cases) {
        auto driver = driverFor(c.port, SerialTiming::fast());
        EXPECT_EQ(driver->OpenTesterPort(), 0) << c.port;
        EXPECT_EQ(driver->openFailureReason().rfind(c.reason, 0), 0u)
            << c.port << ": " << driver->openFailureReason();
        EXPECT_FALSE(driver->IsOpen());
    }
}

TEST_F(SerialPortDriverTest, FaithfulTimingReopensThePortForEveryFrameAndFastTimingKeepsIt) {
    test::SimulatorProcess simulator({"--no-pace"});
    const std::string device = simulator.devicePath().toStdString();
    auto fast = driverFor(device, SerialTiming::fast());
    ASSERT_EQ(fast->OpenTesterPort(), 1);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(fast->OpenTesterPort(), 1);
    EXPECT_LT(clock.elapsed(), 40) << "an open port is kept as it is";
    fast->Close();

    auto faithful = driverFor(device, SerialTiming::faithful());
    ASSERT_EQ(faithful->OpenTesterPort(), 1);
    clock.restart();
    ASSERT_EQ(faithful->OpenTesterPort(), 1);
    EXPECT_GE(clock.elapsed(), 50) << "closed, 50 ms settle, opened again";
    EXPECT_TRUE(faithful->IsOpen());
}

// A tester line of our own, on which the test writes what the tester would send.
class TesterLine {
public:
    void send(std::span<const std::uint8_t> bytes) {
        ASSERT_EQ(::write(pty_.masterFd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::string device() const { return pty_.devicePath(); }
    void unplug() { pty_.close(); }

private:
    PseudoTerminal pty_;
};

// Waits, as the command-line tool does between ticks, until `done` or 3 s have passed.
bool waitForDriver(SerialPortDriver& driver, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 3000) {
        if (!driver.comm().waitForInput(50)) {
            QCoreApplication::processEvents();
        }
    }
    return done();
}

TEST_F(SerialPortDriverTest, BytesWaitingBeforeARequestAreNotTakenForItsReply) {
    TesterLine line;
    auto driver = driverFor(line.device(), SerialTiming::fast());
    QObject::connect(&driver->comm(), &CMSComm::OnComm, [&driver] { driver->OnCommEvent(); });
    ASSERT_EQ(driver->OpenTesterPort(), 1);

    // Left over from an earlier exchange; nobody has read them yet.
    const std::array<std::uint8_t, 5> stale{0x55, 0x01, 0x02, 0x03, 0x04};
    line.send(stale);
    QThread::msleep(100);

    // The request's open keeps the port but drops what waits in it.
    ASSERT_EQ(driver->OpenTesterPort(), 1);
    shared.sessionState = SessionState::AwaitingHandshake;
    const auto reply = TesterSimulator::handshakeReply(7);
    line.send(reply);
    ASSERT_TRUE(waitForDriver(*driver, [&] { return link.receiveQueueCount() > 0; }));
    link.receiveStep();
    const auto payload = framePayload(link.currentFrame());
    EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.end()),
              std::vector<std::uint8_t>(reply.begin(), reply.end()));
}

TEST_F(SerialPortDriverTest, AReplyThatPausesIsGatheredWhole) {
    TesterLine line;
    auto driver = driverFor(line.device(), SerialTiming::fast());
    QObject::connect(&driver->comm(), &CMSComm::OnComm, [&driver] { driver->OnCommEvent(); });
    ASSERT_EQ(driver->OpenTesterPort(), 1);
    shared.sessionState = SessionState::AwaitingHandshake;
    const auto reply = TesterSimulator::handshakeReply(7);

    line.send(std::span(reply).first(4));
    std::thread rest([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        line.send(std::span(reply).subspan(4));
    });
    const bool received = waitForDriver(*driver, [&] { return link.receiveQueueCount() > 0; });
    rest.join();
    ASSERT_TRUE(received);
    EXPECT_EQ(link.receiveQueueCount(), 1u) << "one block";
    link.receiveStep();
    EXPECT_EQ(framePayload(link.currentFrame()).size(), reply.size());
    // Blocked while the reply was arriving: that time is not the reply timer's.
    EXPECT_GE(driver->takeReceiveWaitMs(), 500);
    EXPECT_EQ(driver->takeReceiveWaitMs(), 0);
}

TEST_F(SerialPortDriverTest, AVanishedPortIsClosedAndEndsTheWaitForTheReply) {
    struct Case {
        SerialTiming timing;
        UiPhase phase;
        bool replyTimerCut;
    };
    for (const Case& c : {Case{SerialTiming::fast(), UiPhase::Getting, true},
                          Case{SerialTiming::faithful(), UiPhase::Getting, true},
                          Case{SerialTiming::fast(), UiPhase::Idle, false}}) {
        SCOPED_TRACE(testing::Message()
                     << c.timing.tickMs << " ms tick, phase " << static_cast<int>(c.phase));
        SharedState state;
        LinkLayer lineLink;
        DownloadSession lineSession(lineLink, state);
        lineLink.configure(lineSession);
        TesterLine line;
        SerialPortDriver driver(
            state, lineLink, [&line] { return line.device(); }, c.timing);
        QObject::connect(&driver.comm(), &CMSComm::OnComm, [&driver] { driver.OnCommEvent(); });
        ASSERT_EQ(driver.OpenTesterPort(), 1);

        // The handshake request is out and its reply awaited.
        state.uiPhase = c.phase;
        const RequestRecord request = handshakeRequestRecord();
        ASSERT_TRUE(lineLink.queueFrame({TransmitRequest::kModeExpectsReply, kHandshakeCommand,
                                         request, kHandshakeReplyTimeoutMs}));
        lineLink.transmitStep();
        driver.SendPayload(lineLink.takePendingFrame());
        state.sessionState = SessionState::AwaitingHandshake;
        line.send(std::array<std::uint8_t, 3>{0xAA, 1, 2}); // a reply begins ...

        QElapsedTimer clock;
        clock.start();
        QThread::msleep(30);
        line.unplug(); // ... and the cable is pulled
        ASSERT_TRUE(waitForDriver(driver, [&] { return !driver.IsOpen(); }));
        EXPECT_LT(clock.elapsed(), 1000) << "noticed at once, not after the receive wait";
        EXPECT_EQ(lineLink.replyTimer().expired(), c.replyTimerCut);
        if (c.replyTimerCut) {
            lineLink.receiveStep();
            EXPECT_EQ(state.outcome, DownloadOutcome::FailedNotReported);
        }
    }
}

TEST(PortHolders, NamesTheOtherProcessesThatHoldADeviceOpen) {
    test::SimulatorProcess simulator({"--no-pace"});
    const std::string device = simulator.devicePath().toStdString();
    ASSERT_FALSE(device.empty());
    // The simulator itself holds its device open; this process does not count.
    const std::vector<PortHolder> holders = otherProcessesHolding(device);
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(holders[0].name, "varne");
    EXPECT_GT(holders[0].pid, 0);

    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(otherProcessesHolding(device).size(), 1u);
    ::close(fd);
    EXPECT_TRUE(otherProcessesHolding("/dev/varne-no-such-port").empty());
}

} // namespace
} // namespace varne
