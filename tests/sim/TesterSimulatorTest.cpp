#include "RunningSimulator.h"
#include "SerialClient.h"
#include "sim/RequestFramer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <numeric>
#include <optional>
#include <vector>

namespace varne::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const Bytes kHandshake(kHandshakeRequest.begin(), kHandshakeRequest.end());
const Bytes kReport(kReportRequest.begin(), kReportRequest.end());

std::uint8_t sumOf(std::span<const std::uint8_t> bytes) {
    return std::accumulate(
        bytes.begin(), bytes.end(), std::uint8_t{0},
        [](std::uint8_t sum, std::uint8_t b) { return static_cast<std::uint8_t>(sum + b); });
}

bool endsWithValidCheckByte(const Bytes& reply) {
    return !reply.empty() && sumOf(std::span(reply).first(reply.size() - 1)) == reply.back();
}

void expectHandshakeReply(const Bytes& reply, std::uint8_t handshakeValue) {
    ASSERT_EQ(reply.size(), 11U);
    EXPECT_EQ(reply[0], 0xAA);
    EXPECT_EQ(reply[8], handshakeValue);
    EXPECT_TRUE(endsWithValidCheckByte(reply));
}

TEST(TesterSimulator, AnswersTheHandshakeWithTheChosenValue) {
    for (const std::uint8_t value : {7, 6, 0, 200, 255}) {
        SCOPED_TRACE(static_cast<int>(value));
        SimulatorSettings settings = quickSettings();
        settings.handshakeValue = value;
        RunningSimulator simulator(settings);
        SerialClient client(simulator.devicePath());
        client.write(kHandshake);
        expectHandshakeReply(client.receive(1000ms, 11).bytes, value);
        EXPECT_TRUE(client.receive(100ms).bytes.empty()) << "nothing after the 11 bytes";
        EXPECT_TRUE(simulator.waitForLog("handshake request: answered", 1s));
    }
}

TEST(TesterSimulator, ServesTheReportAcrossReopensOfThePortAsTheDriverDoes) {
    SimulatorSettings settings = quickSettings();
    settings.dropUnreadAfter = 300ms;
    RunningSimulator simulator(settings);
    {
        // A client that asks and goes away without reading leaves nothing behind for the next.
        SerialClient careless(simulator.devicePath());
        careless.write(kHandshake);
        ASSERT_TRUE(simulator.waitForLog("handshake request: answered", 1s));
    }
    EXPECT_TRUE(simulator.waitForLog("dropped 11 reply bytes", 1s));
    SerialClient handshake(simulator.devicePath());
    handshake.write(kHandshake);
    expectHandshakeReply(handshake.receive(500ms).bytes, 7);
    handshake.close();

    SerialClient report(simulator.devicePath());
    report.write(kReport);
    const Received received = report.receive(500ms);
    EXPECT_FALSE(received.hungUp);
    EXPECT_EQ(received.bytes, demoReply());
    EXPECT_TRUE(simulator.waitForLog("report request: answered with 5121 bytes", 1s));
    EXPECT_EQ(simulator.stop(), TesterSimulator::Outcome::Stopped);
}

struct InputCase {
    const char* name;
    std::vector<Bytes> writes; // written 30 ms apart
    bool answered;             // with a handshake reply
    bool rejectionLogged;
};

Bytes concat(Bytes a, const Bytes& b) {
    std::ranges::copy(b, std::back_inserter(a));
    return a;
}

Bytes withByte(Bytes request, std::size_t at, std::uint8_t value) {
    request.at(at) = value;
    return request;
}

TEST(TesterSimulator, AnswersOnlyByteExactRequestsAndStaysListening) {
    const Bytes head(kHandshake.begin(), kHandshake.begin() + 10);
    const Bytes tail(kHandshake.begin() + 10, kHandshake.end());
    const std::vector<InputCase> cases{
        {"request in pieces", {head, tail}, true, false},
        {"garbage before the request", {concat({0x55, 0x0B, 0xFF}, kHandshake)}, true, true},
        {"wrong check byte", {withByte(kHandshake, 24, 0xE1)}, false, true},
        {"wrong length", {withByte(kReport, 7, 0x01)}, false, true},
        {"unknown command", {withByte(withByte(kHandshake, 0, 0x0C), 24, 0xE1)}, false, true},
        {"request cut short", {head}, false, true},
        {"line noise", {Bytes(40, 0xFF)}, false, true},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunningSimulator simulator(quickSettings());
        SerialClient client(simulator.devicePath());
        for (const Bytes& piece : c.writes) {
            client.write(piece);
            std::this_thread::sleep_for(30ms);
        }
        const Received received = client.receive(500ms);
        if (c.answered) {
            expectHandshakeReply(received.bytes, 7);
        } else {
            EXPECT_TRUE(received.bytes.empty());
        }
        EXPECT_EQ(simulator.waitForLog("not a request", c.rejectionLogged ? 1000ms : 0ms),
                  c.rejectionLogged);

        // Whatever came before, the next byte-exact request is answered.
        client.write(kHandshake);
        expectHandshakeReply(client.receive(500ms, 11).bytes, 7);
    }
}

TEST(TesterSimulator, PacesTheReportAtTheLineRate) {
    struct PaceCase {
        bool paced;
        std::chrono::milliseconds atLeast;
        std::chrono::milliseconds atMost;
    };
    // 5121 bytes of 10 bits at 38400 baud take 1.334 s.
    for (const PaceCase c : {PaceCase{true, 1200ms, 2500ms}, PaceCase{false, 0ms, 500ms}}) {
        SCOPED_TRACE(c.paced ? "paced" : "not paced");
        SimulatorSettings settings = quickSettings();
        settings.paced = c.paced;
        RunningSimulator simulator(settings);
        SerialClient client(simulator.devicePath());
        const auto start = std::chrono::steady_clock::now();
        client.write(kReport);
        const Received received = client.receive(1000ms, 5121);
        ASSERT_EQ(received.bytes, demoReply());
        const auto took = received.lastArrival - start;
        EXPECT_GE(took, c.atLeast);
        EXPECT_LE(took, c.atMost);
    }
}

struct FaultCase {
    SimulatorFault fault;
    bool handshakeAnswered;
    std::size_t reportSize; // bytes of the report reply; 0 for none
    bool checkByteValid;
    bool splitByLongPause;
    bool hangsUp;
};

TEST(TesterSimulator, ShowsEachFault) {
    const std::vector<FaultCase> cases{
        {SimulatorFault::NoReply, false, 0, false, false, false},
        {SimulatorFault::BadChecksum, true, 5121, false, false, false},
        {SimulatorFault::SplitReply, true, 5121, true, true, false},
        {SimulatorFault::ShortImage, true, 2001, true, false, false},
        {SimulatorFault::OversizeReply, true, 6001, true, false, false},
        {SimulatorFault::LinkClosed, true, 2560, false, false, true},
    };
    const Bytes demo = demoReply();
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(std::string(faultName(c.fault)));
        RunningSimulator simulator(quickSettings(c.fault));
        SerialClient client(simulator.devicePath());

        client.write(kHandshake);
        const Received handshake = client.receive(400ms, 11);
        if (c.handshakeAnswered) {
            expectHandshakeReply(handshake.bytes, 7);
        } else {
            EXPECT_TRUE(handshake.bytes.empty());
        }

        client.write(kReport);
        const Received report = client.receive(c.splitByLongPause ? 2500ms : 400ms);
        ASSERT_EQ(report.bytes.size(), c.reportSize);
        EXPECT_EQ(report.hungUp, c.hangsUp);
        if (c.reportSize == 0) {
            EXPECT_TRUE(simulator.waitForLog("report request: not answered", 1s));
            continue;
        }
        if (!c.hangsUp) {
            EXPECT_EQ(endsWithValidCheckByte(report.bytes), c.checkByteValid);
        }
        // Every faulty reply still starts with the image as far as it goes.
        const std::size_t common = std::min(report.bytes.size() - 1, demo.size() - 1);
        EXPECT_TRUE(std::equal(demo.begin(), demo.begin() + static_cast<long>(common),
                               report.bytes.begin()));
        EXPECT_EQ(report.longestGap >= 1500ms, c.splitByLongPause);
        if (c.hangsUp) {
            EXPECT_TRUE(simulator.endsWithin(1s));
            EXPECT_EQ(simulator.stop(), TesterSimulator::Outcome::LinkClosed);
        }
    }
}

TEST(SimulatorFault, LateAndPauseTakeTheirTimeInSeconds) {
    struct Case {
        const char* text;
        std::optional<SimulatorFault> fault;
        std::chrono::milliseconds delay;
    };
    const std::vector<Case> cases{
        {"late=2.0", SimulatorFault::Late, 2000ms},
        {"pause=0.6", SimulatorFault::Pause, 600ms},
        {"late=0", SimulatorFault::Late, 0ms},
        {"pause=60", SimulatorFault::Pause, 60000ms},
        {"split-reply", SimulatorFault::SplitReply, 0ms},
        // A time is needed where it belongs and refused elsewhere; a comma is no decimal point.
        {"late", std::nullopt, 0ms},
        {"pause=", std::nullopt, 0ms},
        {"late=1,5", std::nullopt, 0ms},
        {"late=1.5s", std::nullopt, 0ms},
        {"late=-1", std::nullopt, 0ms},
        {"pause=60.5", std::nullopt, 0ms},
        {"split-reply=1", std::nullopt, 0ms},
        {"sometimes=1", std::nullopt, 0ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<FaultChoice> choice = parseFaultChoice(c.text);
        ASSERT_EQ(choice.has_value(), c.fault.has_value());
        if (choice) {
            EXPECT_EQ(choice->fault, *c.fault);
            EXPECT_EQ(choice->delay, c.delay);
        }
    }
}

TEST(TesterSimulator, HoldsTheReportReplyBackWhenLateOrPausing) {
    for (const SimulatorFault fault : {SimulatorFault::Late, SimulatorFault::Pause}) {
        SCOPED_TRACE(std::string(faultName(fault)));
        SimulatorSettings settings = quickSettings(fault);
        settings.faultDelay = 400ms;
        RunningSimulator simulator(settings);
        SerialClient client(simulator.devicePath());

        client.write(kHandshake);
        expectHandshakeReply(client.receive(400ms, 11).bytes, 7); // the handshake is not held

        const auto start = std::chrono::steady_clock::now();
        client.write(kReport);
        const Received report = client.receive(1000ms, 5121);
        EXPECT_EQ(report.bytes, demoReply());
        if (fault == SimulatorFault::Late) {
            EXPECT_GE(report.lastArrival - start, 400ms);
        } else {
            EXPECT_GE(report.longestGap, 350ms);
            EXPECT_LT(report.longestGap, 1000ms);
        }
    }
}

TEST(TesterSimulator, StopsPromptlyInTheMiddleOfAPacedReply) {
    SimulatorSettings settings = quickSettings();
    settings.paced = true;
    RunningSimulator simulator(settings);
    SerialClient client(simulator.devicePath());
    client.write(kReport);
    ASSERT_FALSE(client.receive(500ms, 100).bytes.empty());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(simulator.stop(), TesterSimulator::Outcome::Stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms);
}

} // namespace
} // namespace varne::test
