#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace varne {

// The serial port as the UI step uses it.
class TesterPort {
public:
    virtual ~TesterPort() = default;
    // Opens (or reopens) the tester's port with its line settings: 1 on success, 0 when no
    // port is known or it cannot be opened.
    virtual int OpenTesterPort() = 0;
    // Writes the payload of a link frame (its bytes 4 .. 3 + N) to the port.
    virtual void SendPayload(std::span<const std::uint8_t> frame) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    // Why the last open failed, in words for the user (empty when unknown or after a good open).
    virtual std::string openFailureReason() const { return {}; }
};

} // namespace varne
