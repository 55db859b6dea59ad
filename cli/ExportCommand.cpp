#include "cli/Command.h"
#include "cli/CommandUsage.h"
#include "cli/ConsoleMessageSink.h"
#include "cli/ExitCode.h"
#include "cli/LibraryAccess.h"
#include "export/CsvExport.h"
#include "export/JsonExport.h"
#include "library/LibraryError.h"
#include "pdf/PdfReportFile.h"
#include "report/AtomicFile.h"
#include "report/ReportFacts.h"

#include <QFile>
#include <array>
#include <cstdio>
#include <sstream>
#include <vector>

namespace varne::cli {

namespace {

constexpr const char* kUsageLine =
    "varne export --format csv|json|pdf [--library LOCATION] [--since DATE] [--until DATE] "
    "[--kind TEXT] [--new] [--limit N] [--output FILE]";

// The formats --format takes, each with the writer of the selected records.
struct ExportFormat {
    const char* name;
    void (*write)(std::ostream& out, std::span<const ExportedRecord> records);
};
constexpr std::array kFormats{
    ExportFormat{"csv", WriteCsvExport},
    ExportFormat{"json", WriteJsonExport},
};

const ExportFormat* findFormat(const QString& name) {
    for (const ExportFormat& format : kFormats) {
        if (name == QLatin1String(format.name)) {
            return &format;
        }
    }
    return nullptr;
}

// The filters as the header of a PDF export names them: the options as they were given.
std::string filterText(const QCommandLineParser& parser) {
    QStringList parts;
    for (const char* name : {"since", "until", "kind", "limit"}) {
        if (parser.isSet(name)) {
            parts << QStringLiteral("--%1 %2").arg(QLatin1String(name), parser.value(name));
        }
    }
    if (parser.isSet("new")) {
        parts << QStringLiteral("--new");
    }
    return parts.join(' ').toStdString();
}

// The selected records as a PDF report in FILE; exit 5 when it cannot be saved.
int writePdfExport(const QCommandLineParser& parser, const QString& outputFile,
                   std::span<const ExportedRecord> selected) {
    std::vector<TestRecord> records;
    records.reserve(selected.size());
    for (const ExportedRecord& exported : selected) {
        records.push_back(exported.record);
    }
    ConsoleMessageSink messages;
    PdfReportOptions options;
    options.outputFile = QFile::encodeName(outputFile).toStdString();
    PdfReportFile pdf(messages, std::move(options));
    return pdf.WritePdfReport(records, ExportFacts(filterText(parser), records.size()))
               ? ExitOk
               : ExitWriteFailed;
}

} // namespace

int runExport(const QStringList& arguments) {
    const CommandUsage usage("varne export", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes the tests of the record library, newest first, to standard output or FILE. "
        "json: an array of objects with fingerprint, type, subtype, option (codes), kind, "
        "subkind (names), tested_at (ISO 8601, the tester's local time, or null), heading, date "
        "and result (the report's lines joined by \"\\n\"), quantities ({name, value, unit}), "
        "curve ({current_a, voltage_v}), knee_point ({voltage_v, current_a} or null) and "
        "downloads (the times of the downloads that held the test). pdf (--output needed): the "
        "report of the selected tests with their excitation curves plotted. csv (RFC 4180, UTF-8, "
        "a header row): fingerprint, tested_at, kind, subkind, "
        "heading, result (lines joined by \" / \"), first_download, last_download.\n"
        "Exit status: 0 written, 1 bad usage or FILE cannot be written, 5 the library cannot be "
        "opened or read (a missing library is not created) or the PDF cannot be saved.");
    parser.addHelpOption();
    const QCommandLineOption formatOption("format", "Export format: csv, json or pdf.", "FORMAT");
    const QCommandLineOption outputOption(
        "output",
        "Write to FILE instead of standard output: the whole export or nothing (an earlier "
        "FILE stays as it was when the export fails).",
        "FILE");
    parser.addOption(formatOption);
    const RecordFilterOptions filterOptions;
    filterOptions.addTo(parser);
    parser.addOption(outputOption);
    parser.addOption(libraryOption());
    parser.addOption(CommandUsage::versionOption());
    if (const auto done = usage.parse(parser, arguments, CommandUsage::Positional::Refused)) {
        return *done;
    }
    if (!parser.isSet(formatOption)) {
        return usage.error("--format is needed (csv, json or pdf)");
    }
    const bool pdf = parser.value(formatOption) == QLatin1String("pdf");
    const ExportFormat* format = findFormat(parser.value(formatOption));
    if (format == nullptr && !pdf) {
        return usage.error("unknown --format '" + parser.value(formatOption) +
                           "' (csv, json or pdf)");
    }
    QString problem;
    const auto filter = filterOptions.read(parser, problem);
    if (!filter) {
        return usage.error(problem);
    }
    if (parser.isSet(outputOption) && parser.value(outputOption).isEmpty()) {
        return usage.error("--output wants a file name");
    }
    if (pdf && !parser.isSet(outputOption)) {
        return usage.error("--format pdf needs --output FILE");
    }

    int exitCode = ExitOk;
    const auto records = selectRecords(parser, usage, *filter, exitCode);
    if (!records) {
        return exitCode;
    }
    if (pdf) {
        return writePdfExport(parser, parser.value(outputOption), *records);
    }
    std::ostringstream text;
    format->write(text, *records);
    const std::string bytes = std::move(text).str();
    if (!parser.isSet(outputOption)) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? ExitOk : ExitUsage;
    }
    std::string error;
    if (!writeFileAtomically(QFile::encodeName(parser.value(outputOption)).toStdString(),
                             std::span<const char>(bytes.data(), bytes.size()), error)) {
        std::fprintf(stderr, "varne export: %s\n", error.c_str());
        return ExitUsage;
    }
    return ExitOk;
}

} // namespace varne::cli
