#pragma once

#include "sim/FileDescriptor.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace varne::test {

// What a client read from the line.
struct Received {
    std::vector<std::uint8_t> bytes;
    // The longest pause between two reads that brought bytes.
    std::chrono::steady_clock::duration longestGap{};
    // When the last byte arrived.
    std::chrono::steady_clock::time_point lastArrival{};
    // The line hung up (the other side closed it).
    bool hungUp = false;
};

// The client side of the line, set up as a serial driver sets up the tester's port: raw mode,
// 38400 baud.
class SerialClient {
public:
    explicit SerialClient(const std::string& devicePath);

    void write(std::span<const std::uint8_t> bytes);
    // Reads until `stopAfter` bytes have come, the line has been quiet for `quiet` (also before
    // the first byte), or the line hangs up.
    Received receive(std::chrono::milliseconds quiet,
                     std::size_t stopAfter = std::numeric_limits<std::size_t>::max());
    void close() { fd_.close(); }

private:
    FileDescriptor fd_;
};

} // namespace varne::test
