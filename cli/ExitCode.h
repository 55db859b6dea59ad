#pragma once

namespace varne::cli {

// Exit status of every varne command.
enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,       // bad usage or unreadable input file
    ExitNoTester = 2,    // tester not found or port not opened
    ExitCommFailed = 3,  // communication failed
    ExitNoReport = 4,    // no record in the report
    ExitWriteFailed = 5, // the report cannot be written
};

} // namespace varne::cli
