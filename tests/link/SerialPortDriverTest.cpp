#include "link/SerialPortDriver.h"

#include "link/CheckByte.h"
#include "link/DownloadRequest.h"
#include "link/DownloadSession.h"
#include "link/LinkFrame.h"
#include "link/LinkLayer.h"
#include "link/SharedState.h"
#include "support/ProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <memory>

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

} // namespace
} // namespace varne
