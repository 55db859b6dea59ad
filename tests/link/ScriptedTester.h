#pragma once

#include "link/UiStep.h"

#include <cstdint>
#include <map>
#include <vector>

namespace varne {
class LinkLayer;
}

namespace varne::test {

// Stands in for the UI step and for the tester at the other end of the cable. At each tick it
// takes the link layer's pending frame, puts its payload "on the wire", and when that payload
// is byte for byte one of the two download requests it answers with the scripted reply, which
// arrives as one received block before the next tick. A request with no reply scripted, or
// one the tester does not recognise, gets no answer.
class ScriptedTester : public UiStep {
public:
    struct Written {
        int tick;
        std::vector<std::uint8_t> payload;
    };

    explicit ScriptedTester(LinkLayer& link) : link_(link) {}

    void answer(std::uint8_t command, std::vector<std::uint8_t> reply) {
        replies_[command] = std::move(reply);
    }
    void silence(std::uint8_t command) { replies_.erase(command); }

    void run() override;

    int ticks() const { return ticks_; }
    const std::vector<Written>& written() const { return written_; }

    // The request bytes as the tester expects them on the wire.
    static std::vector<std::uint8_t> handshakeRequest();
    static std::vector<std::uint8_t> reportRequest();

private:
    LinkLayer& link_;
    std::map<std::uint8_t, std::vector<std::uint8_t>> replies_;
    std::vector<Written> written_;
    int ticks_ = 0;
};

// An 11-byte handshake reply: 0xAA, nine bytes with `value` at position 8, its check byte.
std::vector<std::uint8_t> handshakeReply(std::uint8_t value);
// `bytes` followed by their check byte.
std::vector<std::uint8_t> withCheckByte(std::vector<std::uint8_t> bytes);

} // namespace varne::test
