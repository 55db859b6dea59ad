#include "ScriptedTester.h"

#include "link/CheckByte.h"
#include "link/LinkFrame.h"
#include "link/LinkLayer.h"

namespace varne::test {

namespace {
std::vector<std::uint8_t> request(std::uint8_t command, std::uint8_t check) {
    std::vector<std::uint8_t> bytes{command, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x14, 0x00};
    bytes.resize(24, 0x00);
    bytes.push_back(check);
    return bytes;
}
} // namespace

std::vector<std::uint8_t> ScriptedTester::handshakeRequest() {
    return request(0x0B, 0xE0);
}

std::vector<std::uint8_t> ScriptedTester::reportRequest() {
    return request(0x1E, 0xF2);
}

void ScriptedTester::run() {
    ++ticks_;
    const std::span<const std::uint8_t> frame = link_.takePendingFrame();
    if (frame.empty()) {
        return;
    }
    const std::span<const std::uint8_t> payload = framePayload(frame);
    written_.push_back({ticks_, {payload.begin(), payload.end()}});
    const std::vector<std::uint8_t>& onWire = written_.back().payload;

    for (const std::uint8_t command : {std::uint8_t{0x0B}, std::uint8_t{0x1E}}) {
        const auto expected = command == 0x0B ? handshakeRequest() : reportRequest();
        const auto reply = replies_.find(command);
        if (onWire == expected && reply != replies_.end()) {
            link_.acceptReceivedBlock(reply->second);
        }
    }
}

std::vector<std::uint8_t> handshakeReply(std::uint8_t value) {
    return withCheckByte({0xAA, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, value, 0x09});
}

std::vector<std::uint8_t> withCheckByte(std::vector<std::uint8_t> bytes) {
    bytes.push_back(checkByte(bytes));
    return bytes;
}

} // namespace varne::test
