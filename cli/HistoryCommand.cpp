#include "cli/Command.h"
#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "cli/LibraryAccess.h"
#include "export/HistoryLine.h"
#include "library/LibraryError.h"
#include "library/RecordSelection.h"

#include <cstdio>
#include <string>

namespace varne::cli {

namespace {

constexpr const char* kUsageLine =
    "varne history [--library LOCATION] [--since DATE] [--until DATE] [--kind TEXT] [--new] "
    "[--limit N]";

} // namespace

int runHistory(const QStringList& arguments) {
    const CommandUsage usage("varne history", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the tests in the record library, one line each, the newest test first (tests "
        "without a real date last): the test's date as the report prints it, the heading's "
        "lines joined by a space and the result's lines joined by \" / \", separated by "
        "\" | \".\n"
        "Exit status: 0 listed, 1 bad usage, 5 the library cannot be opened or read (a missing "
        "library is not created).");
    parser.addHelpOption();
    const RecordFilterOptions filterOptions;
    filterOptions.addTo(parser);
    parser.addOption(libraryOption());
    parser.addOption(CommandUsage::versionOption());
    if (const auto done = usage.parse(parser, arguments, CommandUsage::Positional::Refused)) {
        return *done;
    }
    QString problem;
    const auto filter = filterOptions.read(parser, problem);
    if (!filter) {
        return usage.error(problem);
    }
    int exitCode = ExitOk;
    const auto library = openLibrary(parser, usage, library::RecordLibrary::Access::Read, exitCode);
    if (!library) {
        return exitCode;
    }
    try {
        for (const auto& item :
             library::SelectRecords(*library, *filter, library::RecordDetail::Summary)) {
            std::printf("%s\n", HistoryLine(item.record).c_str());
        }
    } catch (const library::LibraryError& e) {
        std::fprintf(stderr, "varne history: %s\n", e.what());
        return ExitLibraryFailed;
    }
    return ExitOk;
}

} // namespace varne::cli
