#include "cli/LibraryAccess.h"

#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "library/LibraryError.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdio>

namespace varne::cli {

QCommandLineOption libraryOption() {
    return QCommandLineOption(
        "library",
        "The record library: an SQLite file, or a PostgreSQL database "
        "postgresql://[user[:password]@]host[:port]/dbname (?host=/socket/dir for a Unix "
        "socket; percent-encode special characters). Default: $VARNE_LIBRARY, else "
        "Varne_Report/records.sqlite below the working directory.",
        "LOCATION");
}

std::filesystem::path defaultLibraryFile() {
    return library::DefaultLibraryFile(std::filesystem::current_path() / "Varne_Report" /
                                       "Varne_Report.txt");
}

std::optional<library::LibraryLocation> libraryLocation(const QCommandLineParser& parser,
                                                        const CommandUsage& usage, int& exitCode) {
    std::optional<std::string> option;
    if (parser.isSet("library")) {
        option = QFile::encodeName(parser.value("library")).toStdString();
    }
    std::string error;
    auto location = library::ResolveLibraryLocation(option, defaultLibraryFile(), error);
    if (!location) {
        exitCode = usage.error(QString::fromStdString(error));
    }
    return location;
}

std::unique_ptr<library::RecordLibrary> openLibrary(const QCommandLineParser& parser,
                                                    const CommandUsage& usage,
                                                    library::RecordLibrary::Access access,
                                                    int& exitCode) {
    const auto location = libraryLocation(parser, usage, exitCode);
    if (!location) {
        return nullptr;
    }
    try {
        return std::make_unique<library::RecordLibrary>(*location, access);
    } catch (const library::LibraryError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        exitCode = ExitLibraryFailed;
        return nullptr;
    }
}

std::optional<std::vector<library::LibraryRecord>>
selectRecords(const QCommandLineParser& parser, const CommandUsage& usage,
              const library::RecordFilter& filter, int& exitCode) {
    const auto library = openLibrary(parser, usage, library::RecordLibrary::Access::Read, exitCode);
    if (!library) {
        return std::nullopt;
    }
    try {
        return library::SelectRecords(*library, filter, library::RecordDetail::Full);
    } catch (const library::LibraryError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        exitCode = ExitLibraryFailed;
        return std::nullopt;
    }
}

RecordFilterOptions::RecordFilterOptions()
    : since_("since", "Only tests done on DATE or later (YYYY-MM-DD, the tester's local time).",
             "DATE"),
      until_("until", "Only tests done on DATE or earlier (YYYY-MM-DD).", "DATE"),
      kind_("kind",
            "Only tests whose heading contains TEXT, case ignored (e.g. \"CT\", "
            "\"overcurrent\").",
            "TEXT"),
      new_("new", "Only the tests that the latest download added to the library."),
      limit_("limit", "At most N tests (the newest).", "N") {}

void RecordFilterOptions::addTo(QCommandLineParser& parser) const {
    parser.addOptions({since_, until_, kind_, new_, limit_});
}

namespace {

std::optional<QDate> parseDay(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!shape.match(text).hasMatch()) {
        return std::nullopt;
    }
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

std::optional<library::RecordFilter> RecordFilterOptions::read(const QCommandLineParser& parser,
                                                               QString& problem) const {
    library::RecordFilter filter;
    for (const auto& [option, day] :
         {std::pair{&since_, &filter.since}, std::pair{&until_, &filter.until}}) {
        if (parser.isSet(*option)) {
            *day = parseDay(parser.value(*option));
            if (!*day) {
                problem = QStringLiteral("--%1 wants a date YYYY-MM-DD, not '%2'")
                              .arg(option->names().front(), parser.value(*option));
                return std::nullopt;
            }
        }
    }
    if (filter.since && filter.until && *filter.since > *filter.until) {
        problem = QStringLiteral("--since is after --until");
        return std::nullopt;
    }
    if (parser.isSet(kind_)) {
        filter.kind = parser.value(kind_).toStdString();
    }
    filter.onlyNew = parser.isSet(new_);
    if (parser.isSet(limit_)) {
        bool ok = false;
        const qulonglong limit = parser.value(limit_).toULongLong(&ok, 10);
        if (!ok || limit == 0) {
            problem = QStringLiteral("--limit wants a positive number, not '%1'")
                          .arg(parser.value(limit_));
            return std::nullopt;
        }
        filter.limit = static_cast<std::size_t>(limit);
    }
    return filter;
}

} // namespace varne::cli
