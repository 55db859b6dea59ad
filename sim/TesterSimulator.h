#pragma once

#include "sim/FileDescriptor.h"
#include "sim/PseudoTerminal.h"
#include "sim/RequestFramer.h"
#include "sim/SimulatorFault.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varne {

struct SimulatorSettings {
    static constexpr std::uint8_t kDefaultHandshakeValue = 7;

    // What a report request gets without a fault: the image followed by its check byte.
    std::vector<std::uint8_t> reportReply;
    // Byte 8 of the handshake reply; 7 or more tells the client that excitation curves carry
    // up to ten points.
    std::uint8_t handshakeValue = kDefaultHandshakeValue;
    SimulatorFault fault = SimulatorFault::None;
    // How late the report reply begins (fault Late), or how long it pauses (fault Pause).
    std::chrono::milliseconds faultDelay{0};
    // Send replies at the pace of the real line (38400 baud, 10 bits a byte).
    bool paced = true;
    // Reply bytes still unread this long after they were sent are dropped: the client has
    // closed the port or given up, and a real line loses what arrives while nobody listens.
    // Without this a client would find them in front of its next reply.
    std::chrono::milliseconds dropUnreadAfter{3000};
};

// A Varne tester on a pseudo-terminal: answers the handshake request and the report request
// byte for byte as the tester does, ignores (and logs) anything else, and can show the faults
// of SimulatorFault. One line of log per request or rejected input goes to the log sink.
class TesterSimulator {
public:
    using LogSink = std::function<void(const std::string& line)>;
    enum class Outcome {
        Stopped,    // requestStop() was called
        LinkClosed, // the link-closed fault closed the line
        Failed,     // the pseudo-terminal failed
    };

    static constexpr std::size_t kHandshakeReplySize = 11;
    static constexpr int kBaudRate = 38400;
    static constexpr int kBitsPerByte = 10; // start bit, 8 data bits, stop bit
    // Longer than any receive wait of a client (1500 ms), so a split reply arrives in two parts.
    static constexpr std::chrono::milliseconds kSplitPause{1700};

    // Opens the pseudo-terminal. Throws std::system_error when that is not possible.
    TesterSimulator(SimulatorSettings settings, LogSink log);

    // The device a client opens as the tester's serial port.
    const std::string& devicePath() const { return devicePath_; }

    // Serves requests until requestStop() or until a fault closes the line.
    Outcome run();
    // Ends run() soon. Safe to call from another thread or from a signal handler.
    void requestStop() noexcept;

    static std::array<std::uint8_t, kHandshakeReplySize> handshakeReply(std::uint8_t value);
    // How long `byteCount` bytes take on the line.
    static std::chrono::nanoseconds transmitTime(std::size_t byteCount);

private:
    using Clock = std::chrono::steady_clock;
    enum class SendResult { Sent, Stopped, Dropped };

    std::optional<Outcome> handle(const RequestFramer::Piece& piece);
    std::optional<Outcome> answerHandshake();
    std::optional<Outcome> answerReport();
    std::optional<Outcome> sendInTwoParts(std::span<const std::uint8_t> reply,
                                          std::chrono::milliseconds pause);
    SendResult send(std::span<const std::uint8_t> bytes);
    SendResult writeAll(std::span<const std::uint8_t> bytes);
    // Waits until `deadline`; false when a stop was requested meanwhile.
    bool waitUntil(Clock::time_point deadline);
    void dropUnreadReply();
    void log(const std::string& line) const;

    PseudoTerminal terminal_;
    std::string devicePath_;
    FileDescriptor wakeRead_;
    FileDescriptor wakeWrite_;
    std::atomic<bool> stopRequested_{false};
    SimulatorSettings settings_;
    std::vector<std::uint8_t> reportReply_; // as the fault makes it
    LogSink log_;
    RequestFramer framer_;
    std::optional<Clock::time_point> unreadCheck_; // when to look for an unread reply
};

} // namespace varne
