#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>

namespace varne {

namespace {

[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

PseudoTerminal::PseudoTerminal()
    : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    if (!master_.isOpen()) {
        throwErrno("posix_openpt");
    }
    if (::grantpt(master_.get()) != 0) {
        throwErrno("grantpt");
    }
    if (::unlockpt(master_.get()) != 0) {
        throwErrno("unlockpt");
    }
    char name[128];
    if (::ptsname_r(master_.get(), name, sizeof name) != 0) {
        throwErrno("ptsname");
    }
    devicePath_ = name;

    slave_ = FileDescriptor(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.isOpen()) {
        throwErrno("open pseudo-terminal device");
    }
    // Raw mode so that a client which does not set up the line itself still gets the bytes
    // unchanged and no echo of its requests.
    termios settings{};
    if (::tcgetattr(slave_.get(), &settings) != 0) {
        throwErrno("tcgetattr");
    }
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B38400);
    ::cfsetospeed(&settings, B38400);
    if (::tcsetattr(slave_.get(), TCSANOW, &settings) != 0) {
        throwErrno("tcsetattr");
    }
}

std::size_t PseudoTerminal::unreadOutput() const {
    int count = 0;
    if (!slave_.isOpen() || ::ioctl(slave_.get(), FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::size_t>(count);
}

void PseudoTerminal::discardUnreadOutput() {
    if (slave_.isOpen()) {
        ::tcflush(slave_.get(), TCIFLUSH);
    }
}

void PseudoTerminal::close() {
    slave_.close();
    master_.close();
}

} // namespace varne
