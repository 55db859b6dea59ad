#include "ChildProcess.h"
#include "RunningSimulator.h"
#include "SerialClient.h"
#include "sim/RequestFramer.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace varne::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const Bytes kHandshake(kHandshakeRequest.begin(), kHandshakeRequest.end());
const Bytes kReport(kReportRequest.begin(), kReportRequest.end());

std::string varneProgram() {
    const char* dir = std::getenv("VARNE_BIN_DIR");
    return std::string(dir != nullptr ? dir : VARNE_BUILD_BIN_DIR) + "/varne";
}

// A file in the temporary directory, removed at the end of the test.
class TemporaryFile {
public:
    explicit TemporaryFile(const Bytes& contents)
        : path_(std::filesystem::temp_directory_path() /
                ("varne-sim-test-" + std::to_string(::getpid()) + ".bin")) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(contents.data()),
                   static_cast<std::streamsize>(contents.size()));
    }
    ~TemporaryFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

TEST(SimulateCommand, ServesTheDemoImageUntilSignalled) {
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        ChildProcess varne(varneProgram(), {"simulate", "--no-pace", "--handshake", "9"});
        const std::optional<std::string> device = varne.readOutputLine(5s);
        ASSERT_TRUE(device.has_value());
        ASSERT_EQ(device->rfind("/dev/", 0), 0U) << *device;

        SerialClient handshake(*device);
        handshake.write(kHandshake);
        const Bytes reply = handshake.receive(1s, 11).bytes;
        ASSERT_EQ(reply.size(), 11U);
        EXPECT_EQ(reply[8], 9);
        handshake.close();

        SerialClient report(*device);
        report.write(kReport);
        EXPECT_EQ(report.receive(500ms).bytes, demoReply());

        varne.signal(signalNumber);
        EXPECT_EQ(varne.waitForExit(2s), 0);
        const std::string log = varne.errorOutput();
        EXPECT_NE(log.find("handshake request: answered"), std::string::npos) << log;
        EXPECT_NE(log.find("report request: answered with 5121 bytes"), std::string::npos) << log;
    }
}

TEST(SimulateCommand, ServesAnImageFileOfAnySizeAndSaysSoWhenItIsOdd) {
    const TemporaryFile image(Bytes(2000, 0x11));
    ChildProcess varne(varneProgram(), {"simulate", "--no-pace", "--image", image.path()});
    const std::optional<std::string> device = varne.readOutputLine(5s);
    ASSERT_TRUE(device.has_value());
    SerialClient client(*device);
    client.write(kReport);
    const Bytes reply = client.receive(500ms).bytes;
    ASSERT_EQ(reply.size(), 2001U);
    EXPECT_EQ(reply.back(), static_cast<std::uint8_t>(2000 * 0x11));
    EXPECT_NE(varne.errorOutput().find("2000 bytes"), std::string::npos);
}

TEST(SimulateCommand, EndsByItselfAfterClosingTheLine) {
    ChildProcess varne(varneProgram(), {"simulate", "--no-pace", "--fault", "link-closed"});
    const std::optional<std::string> device = varne.readOutputLine(5s);
    ASSERT_TRUE(device.has_value());
    SerialClient client(*device);
    client.write(kReport);
    const Received received = client.receive(1s);
    EXPECT_TRUE(received.hungUp);
    EXPECT_LT(received.bytes.size(), 5121U);
    EXPECT_EQ(varne.waitForExit(2s), 0);
}

TEST(SimulateCommand, RefusesBadOptions) {
    const std::vector<std::vector<std::string>> cases{
        {"simulate", "--fault", "sometimes"},
        {"simulate", "--handshake", "256"},
        {"simulate", "--handshake", "seven"},
        {"simulate", "--image", "/nonexistent/report.bin"},
        {"simulate", "--colour"},
        {"simulate", "extra"},
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments.back());
        ChildProcess varne(varneProgram(), arguments);
        EXPECT_EQ(varne.waitForExit(5s), 1);
        EXPECT_FALSE(varne.readOutputLine(0ms).has_value());
        EXPECT_FALSE(varne.errorOutput().empty());
    }
}

} // namespace
} // namespace varne::test
