#pragma once

#include "sim/FileDescriptor.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace varne::test {

// A program started by a test, with its standard output and standard error in pipes.
// Killed and reaped if it still runs when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output, without its newline; nothing if none comes in time.
    std::optional<std::string> readOutputLine(std::chrono::milliseconds timeout);
    void signal(int signalNumber);
    // The exit status once the program has ended, or nothing if it still runs after `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // Everything the program wrote to standard error so far.
    std::string errorOutput();

private:
    pid_t pid_ = -1;
    FileDescriptor output_;
    FileDescriptor error_;
    std::string outputBuffer_;
    std::string errorBuffer_;
};

} // namespace varne::test
