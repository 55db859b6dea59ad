#include "cli/Command.h"
#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "cli/LibraryAccess.h"
#include "library/LibraryError.h"
#include "library/RecordSelection.h"

#include <cstdio>
#include <string>

namespace varne::cli {

namespace {

constexpr const char* kUsageLine =
    "varne history [--library LOCATION] [--since DATE] [--until DATE] [--kind TEXT] [--new] "
    "[--limit N]";

std::string joined(const std::string& lines, const std::string& separator) {
    std::string out;
    std::size_t start = 0;
    while (start <= lines.size()) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        if (!out.empty()) {
            out += separator;
        }
        out += lines.substr(start, end - start);
        start = end + 1;
    }
    return out;
}

std::string historyLine(const TestRecord& r) {
    std::string time = "(no date)          ";
    if (r.testedAt) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", r.testedAt->year,
                      r.testedAt->month, r.testedAt->day, r.testedAt->hour, r.testedAt->minute,
                      r.testedAt->second);
        time = text;
    }
    return time + "  " + joined(r.heading, " ") + "  " + joined(r.result, " / ");
}

} // namespace

int runHistory(const QStringList& arguments) {
    const CommandUsage usage("varne history", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the tests in the record library, one line each, the newest test first (tests "
        "without a real date last): the test time, the heading's lines joined by a space, the "
        "result's lines joined by \" / \".\n"
        "Exit status: 0 listed, 1 bad usage, 5 the library cannot be opened or read (a missing "
        "library is not created).");
    parser.addHelpOption();
    const RecordFilterOptions filterOptions;
    filterOptions.addTo(parser);
    parser.addOption(libraryOption());
    if (!parser.parse(arguments)) {
        return usage.error(parser.errorText());
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(usage.help(parser)), stdout);
        return ExitOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usage.error("unexpected argument '" + parser.positionalArguments().front() + "'");
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
            std::printf("%s\n", historyLine(item.record).c_str());
        }
    } catch (const library::LibraryError& e) {
        std::fprintf(stderr, "varne history: %s\n", e.what());
        return ExitLibraryFailed;
    }
    return ExitOk;
}

} // namespace varne::cli
