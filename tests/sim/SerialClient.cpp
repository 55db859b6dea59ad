#include "SerialClient.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace varne::test {

SerialClient::SerialClient(const std::string& devicePath)
    : fd_(::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (!fd_.isOpen()) {
        throw std::runtime_error("cannot open " + devicePath);
    }
    termios settings{};
    ::tcgetattr(fd_.get(), &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B38400);
    ::cfsetospeed(&settings, B38400);
    ::tcsetattr(fd_.get(), TCSANOW, &settings);
}

void SerialClient::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the line failed");
        }
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        }
    }
}

Received SerialClient::receive(std::chrono::milliseconds quiet, std::size_t stopAfter) {
    using Clock = std::chrono::steady_clock;
    Received received;
    Clock::time_point lastActivity = Clock::now();
    std::array<std::uint8_t, 4096> buffer{};
    while (received.bytes.size() < stopAfter) {
        const auto left = quiet - (Clock::now() - lastActivity);
        if (left <= Clock::duration::zero()) {
            break;
        }
        pollfd line{fd_.get(), POLLIN, 0};
        const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        if (::poll(&line, 1, static_cast<int>(timeout)) <= 0) {
            continue;
        }
        const ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
        if (n > 0) {
            const Clock::time_point now = Clock::now();
            if (!received.bytes.empty()) {
                received.longestGap = std::max(received.longestGap, now - received.lastArrival);
            }
            received.bytes.insert(received.bytes.end(), buffer.begin(), buffer.begin() + n);
            received.lastArrival = now;
            lastActivity = now;
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            received.hungUp = true;
            break;
        }
    }
    return received;
}

} // namespace varne::test
