#pragma once

#include "sim/FileDescriptor.h"

#include <cstddef>
#include <string>

namespace varne {

// A pseudo-terminal whose device side (the slave) a serial client opens as if it were the
// tester's port. The master side is ours to read requests from and write replies to.
//
// We keep a descriptor of the slave open for our whole life: a client that closes and reopens
// the port before every request would otherwise hang the line up, and the master would then
// read EIO until the next open.
class PseudoTerminal {
public:
    // Opens a new pseudo-terminal in raw mode, master non-blocking. Throws std::system_error.
    PseudoTerminal();

    int masterFd() const { return master_.get(); }
    const std::string& devicePath() const { return devicePath_; }
    bool isOpen() const { return master_.isOpen(); }

    // Bytes we wrote that no client has read yet.
    std::size_t unreadOutput() const;
    // Drops those bytes, as a real line loses what arrives while the port is closed.
    void discardUnreadOutput();
    // Closes both sides: a client that has the device open sees the line hang up.
    void close();

private:
    FileDescriptor master_;
    FileDescriptor slave_;
    std::string devicePath_;
};

} // namespace varne
