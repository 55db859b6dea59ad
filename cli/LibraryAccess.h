#pragma once

#include "library/RecordLibrary.h"
#include "library/RecordSelection.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace varne::cli {

class CommandUsage;

// --library LOCATION, the same for every command that touches the record library.
QCommandLineOption libraryOption();

// The default library: Varne_Report/records.sqlite below the working directory.
std::filesystem::path defaultLibraryFile();

// The location --library or VARNE_LIBRARY names (or the default). Nothing, with the problem
// told, when it is malformed: `exitCode` is then the bad-usage status.
std::optional<library::LibraryLocation> libraryLocation(const QCommandLineParser& parser,
                                                        const CommandUsage& usage, int& exitCode);

// The library opened; nothing, with the reason on standard error and `exitCode` set, when it
// cannot be opened (bad usage for a malformed location, ExitLibraryFailed otherwise).
std::unique_ptr<library::RecordLibrary> openLibrary(const QCommandLineParser& parser,
                                                    const CommandUsage& usage,
                                                    library::RecordLibrary::Access access,
                                                    int& exitCode);

// The records of the library that `filter` selects, with everything an export writes: what
// every export format starts from. Nothing, with the reason told and `exitCode` set, when the
// library cannot be opened or read.
std::optional<std::vector<library::LibraryRecord>>
selectRecords(const QCommandLineParser& parser, const CommandUsage& usage,
              const library::RecordFilter& filter, int& exitCode);

// The record selection of history and the exports: --since, --until, --kind, --new, --limit.
class RecordFilterOptions {
public:
    RecordFilterOptions();
    void addTo(QCommandLineParser& parser) const;
    // The filter the options give; nothing with `problem` set when one is malformed.
    std::optional<library::RecordFilter> read(const QCommandLineParser& parser,
                                              QString& problem) const;

private:
    QCommandLineOption since_;
    QCommandLineOption until_;
    QCommandLineOption kind_;
    QCommandLineOption new_;
    QCommandLineOption limit_;
};

} // namespace varne::cli
