#include "sim/TesterSimulator.h"

#include "link/CheckByte.h"
#include "sim/ReportReply.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <unistd.h>

namespace varne {

namespace {

// Bytes 1..7 of the handshake reply: the tester's firmware identification.
constexpr std::array<std::uint8_t, 7> kFirmwareId{'V', 'R', 'N', '-', 'S', 'I', 'M'};
// Paced replies are written in chunks this size, each followed by a wait for its line time.
constexpr std::size_t kPaceChunk = 32;
// A client that reads nothing for this long has gone; the rest of the reply is dropped.
constexpr int kStallLimitMs = 2000;
constexpr std::size_t kLoggedBytes = 32;
// How long the link-closed fault waits for the client to read the part it sent.
constexpr std::chrono::seconds kLinkClosedGrace{2};
constexpr std::chrono::milliseconds kLineSettle{100};

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::size_t i = 0; i < std::min(bytes.size(), kLoggedBytes); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%s%02x", i == 0 ? "" : " ", bytes[i]);
        text += hex;
    }
    if (bytes.size() > kLoggedBytes) {
        text += " ...";
    }
    return text;
}

std::string seconds(std::chrono::steady_clock::duration d) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", std::chrono::duration<double>(d).count());
    return text;
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

} // namespace

TesterSimulator::TesterSimulator(SimulatorSettings settings, LogSink log)
    : devicePath_(terminal_.devicePath()), settings_(std::move(settings)),
      reportReply_(reportReplyWithFault(settings_.reportReply, settings_.fault)),
      log_(std::move(log)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    wakeRead_ = FileDescriptor(fds[0]);
    wakeWrite_ = FileDescriptor(fds[1]);
}

void TesterSimulator::requestStop() noexcept {
    stopRequested_.store(true);
    const std::uint8_t wake = 1;
    if (::write(wakeWrite_.get(), &wake, 1) < 0) {
        // The pipe is full, so run() has been woken already.
    }
}

std::array<std::uint8_t, TesterSimulator::kHandshakeReplySize>
TesterSimulator::handshakeReply(std::uint8_t value) {
    std::array<std::uint8_t, kHandshakeReplySize> reply{};
    reply[0] = 0xAA;
    std::copy(kFirmwareId.begin(), kFirmwareId.end(), reply.begin() + 1);
    reply[8] = value;
    reply[9] = 0;
    reply[10] = checkByte(std::span(reply).first(10));
    return reply;
}

std::chrono::nanoseconds TesterSimulator::transmitTime(std::size_t byteCount) {
    const auto bits = static_cast<std::int64_t>(byteCount) * kBitsPerByte;
    return std::chrono::nanoseconds(bits * 1'000'000'000 / kBaudRate);
}

TesterSimulator::Outcome TesterSimulator::run() {
    std::array<std::uint8_t, 4096> buffer{};
    while (!stopRequested_.load()) {
        std::optional<Clock::time_point> deadline = framer_.deadline();
        if (unreadCheck_ && (!deadline || *unreadCheck_ < *deadline)) {
            deadline = unreadCheck_;
        }
        std::array<pollfd, 2> fds{
            {{terminal_.masterFd(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}}};
        const int timeout = deadline ? millisecondsUntil(*deadline) : -1;
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) {
                continue;
            }
            log(std::string("poll failed: ") + std::strerror(errno));
            return Outcome::Failed;
        }
        if (stopRequested_.load()) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(terminal_.masterFd(), buffer.data(), buffer.size());
            if (n > 0) {
                const auto bytes = std::span(buffer).first(static_cast<std::size_t>(n));
                for (const RequestFramer::Piece& piece : framer_.feed(bytes, Clock::now())) {
                    if (const std::optional<Outcome> end = handle(piece)) {
                        return *end;
                    }
                }
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                log(std::string("reading the line failed: ") + std::strerror(errno));
                return Outcome::Failed;
            }
        } else if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            log("the pseudo-terminal failed");
            return Outcome::Failed;
        }
        if (const std::optional<RequestFramer::Piece> stale = framer_.expire(Clock::now())) {
            if (const std::optional<Outcome> end = handle(*stale)) {
                return *end;
            }
        }
        if (unreadCheck_ && Clock::now() >= *unreadCheck_) {
            unreadCheck_.reset();
            dropUnreadReply();
        }
    }
    return Outcome::Stopped;
}

std::optional<TesterSimulator::Outcome> TesterSimulator::handle(const RequestFramer::Piece& piece) {
    switch (piece.kind) {
    case RequestFramer::Kind::Handshake:
        return answerHandshake();
    case RequestFramer::Kind::Report:
        return answerReport();
    case RequestFramer::Kind::Rejected:
        log("not a request, not answered (" + std::to_string(piece.bytes.size()) +
            " bytes): " + hexBytes(piece.bytes));
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<TesterSimulator::Outcome> TesterSimulator::answerHandshake() {
    if (settings_.fault == SimulatorFault::NoReply) {
        log("handshake request: not answered (fault no-reply)");
        return std::nullopt;
    }
    const auto reply = handshakeReply(settings_.handshakeValue);
    switch (send(reply)) {
    case SendResult::Stopped:
        return Outcome::Stopped;
    case SendResult::Dropped:
        return std::nullopt;
    case SendResult::Sent:
        break;
    }
    log("handshake request: answered with 11 bytes, handshake value " +
        std::to_string(settings_.handshakeValue));
    return std::nullopt;
}

std::optional<TesterSimulator::Outcome> TesterSimulator::answerReport() {
    const SimulatorFault fault = settings_.fault;
    const std::string faultRemark = " (fault " + std::string(faultName(fault)) + ")";
    if (fault == SimulatorFault::NoReply) {
        log("report request: not answered" + faultRemark);
        return std::nullopt;
    }
    const std::span<const std::uint8_t> reply(reportReply_);
    const Clock::time_point start = Clock::now();

    if (fault == SimulatorFault::SplitReply || fault == SimulatorFault::Pause ||
        fault == SimulatorFault::LinkClosed) {
        const std::size_t half = reply.size() / 2;
        SendResult result = send(reply.first(half));
        if (result == SendResult::Sent && fault == SimulatorFault::LinkClosed) {
            // Closing the master throws away what the client has not read yet; let the bytes
            // reach it first, as they would reach the computer before a cable is pulled.
            // The terminal hands written bytes on to the reading side a moment later, so an
            // empty input queue means "read" only once that moment has passed.
            const Clock::time_point giveUp = Clock::now() + kLinkClosedGrace;
            if (!waitUntil(Clock::now() + kLineSettle)) {
                return Outcome::Stopped;
            }
            while (terminal_.unreadOutput() > 0 && Clock::now() < giveUp) {
                if (!waitUntil(Clock::now() + std::chrono::milliseconds(10))) {
                    return Outcome::Stopped;
                }
            }
            terminal_.close();
            log("report request: sent " + std::to_string(half) + " of " +
                std::to_string(reply.size()) + " bytes, then closed the line" + faultRemark);
            return Outcome::LinkClosed;
        }
        if (result == SendResult::Stopped) {
            return Outcome::Stopped;
        }
        if (result == SendResult::Sent) {
            return sendInTwoParts(reply.subspan(half), fault == SimulatorFault::Pause
                                                           ? settings_.faultDelay
                                                           : kSplitPause);
        }
        return std::nullopt;
    }
    if (fault == SimulatorFault::Late && !waitUntil(start + settings_.faultDelay)) {
        return Outcome::Stopped;
    }

    switch (send(reply)) {
    case SendResult::Stopped:
        return Outcome::Stopped;
    case SendResult::Dropped:
        return std::nullopt;
    case SendResult::Sent:
        break;
    }
    std::string line = "report request: answered with " + std::to_string(reply.size()) +
                       " bytes in " + seconds(Clock::now() - start);
    if (fault == SimulatorFault::Late) {
        line += ", beginning " + seconds(settings_.faultDelay) + " after the request";
    }
    if (fault == SimulatorFault::BadChecksum) {
        line += ", wrong check byte";
    }
    log(fault == SimulatorFault::None ? line : line + faultRemark);
    return std::nullopt;
}

// Sends the rest of a reply whose first part has gone, after `pause`.
std::optional<TesterSimulator::Outcome>
TesterSimulator::sendInTwoParts(std::span<const std::uint8_t> rest,
                                std::chrono::milliseconds pause) {
    if (!waitUntil(Clock::now() + pause)) {
        return Outcome::Stopped;
    }
    switch (send(rest)) {
    case SendResult::Stopped:
        return Outcome::Stopped;
    case SendResult::Dropped:
        return std::nullopt;
    case SendResult::Sent:
        break;
    }
    const std::size_t total = reportReply_.size();
    log("report request: answered with " + std::to_string(total) + " bytes in two parts " +
        seconds(pause) + " apart (fault " + std::string(faultName(settings_.fault)) + ")");
    return std::nullopt;
}

TesterSimulator::SendResult TesterSimulator::send(std::span<const std::uint8_t> bytes) {
    unreadCheck_ = Clock::now() + transmitTime(bytes.size()) + settings_.dropUnreadAfter;
    if (!settings_.paced) {
        return writeAll(bytes);
    }
    // Each chunk waits for the line time of everything sent so far, measured from one start,
    // so that rounding of the single waits does not add up.
    const Clock::time_point start = Clock::now();
    for (std::size_t sent = 0; sent < bytes.size();) {
        const std::size_t chunk = std::min(kPaceChunk, bytes.size() - sent);
        const SendResult result = writeAll(bytes.subspan(sent, chunk));
        if (result != SendResult::Sent) {
            return result;
        }
        sent += chunk;
        if (!waitUntil(start + transmitTime(sent))) {
            return SendResult::Stopped;
        }
    }
    return SendResult::Sent;
}

TesterSimulator::SendResult TesterSimulator::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (stopRequested_.load()) {
            return SendResult::Stopped;
        }
        const ssize_t n = ::write(terminal_.masterFd(), bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            log(std::string("writing the reply failed: ") + std::strerror(errno));
            return SendResult::Dropped;
        }
        // The client's receive buffer is full: wait for it to read.
        std::array<pollfd, 2> fds{
            {{terminal_.masterFd(), POLLOUT, 0}, {wakeRead_.get(), POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), kStallLimitMs);
        if (ready == 0) {
            log("the client stopped reading; " + std::to_string(bytes.size()) +
                " bytes of the reply dropped");
            return SendResult::Dropped;
        }
    }
    return SendResult::Sent;
}

bool TesterSimulator::waitUntil(Clock::time_point deadline) {
    while (!stopRequested_.load()) {
        const int timeout = millisecondsUntil(deadline);
        if (timeout == 0) {
            return true;
        }
        pollfd wake{wakeRead_.get(), POLLIN, 0};
        ::poll(&wake, 1, timeout);
    }
    return false;
}

void TesterSimulator::dropUnreadReply() {
    if (const std::size_t unread = terminal_.unreadOutput(); unread > 0) {
        terminal_.discardUnreadOutput();
        log("dropped " + std::to_string(unread) + " reply bytes that the client did not read");
    }
}

void TesterSimulator::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

} // namespace varne
