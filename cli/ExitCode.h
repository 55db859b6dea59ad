#pragma once

#include "report/ReportDriver.h"

namespace varne::cli {

// Exit status of every varne command.
enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,         // bad usage or unreadable input file
    ExitNoTester = 2,      // tester not found or port not opened
    ExitCommFailed = 3,    // communication failed
    ExitNoReport = 4,      // no record in the report
    ExitWriteFailed = 5,   // the report cannot be written, or was saved without results
    ExitLibraryFailed = 5, // the record library cannot be opened, read or written
};

// The exit status of a report run.
constexpr int exitCodeOf(WriteReportResult result) {
    switch (result) {
    case WriteReportResult::Written:
        return ExitOk;
    case WriteReportResult::NoRecord:
        return ExitNoReport;
    case WriteReportResult::ImageIncomplete:
    case WriteReportResult::CannotWrite:
    case WriteReportResult::WordWithoutResults:
        return ExitWriteFailed;
    }
    return ExitWriteFailed;
}

} // namespace varne::cli
