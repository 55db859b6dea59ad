#include "base/ConfigFiles.h"
#include "cli/Command.h"
#include "cli/CommandConfiguration.h"
#include "cli/CommandUsage.h"
#include "cli/ConsoleMessageSink.h"
#include "cli/ExitCode.h"
#include "pdf/PdfReportFile.h"
#include "report/RawImageArchive.h"
#include "report/ReportDriver.h"
#include "report/WordReport.h"

#include <QCommandLineParser>
#include <QFile>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

namespace varne::cli {

namespace {

constexpr int kDefaultHandshake = 7;

// The report formats --format accepts, each with the file it is written to by default (below
// Varne_Report/ in the working directory; none: a new timestamped name each time).
struct OutputFormat {
    const char* name;
    ReportOutput output;
    const char* defaultFileName;
};
constexpr std::array kFormats{
    OutputFormat{"txt", ReportOutput::Text, "Varne_Report.txt"},
    OutputFormat{"docx", ReportOutput::Word, nullptr},
    OutputFormat{"pdf", ReportOutput::Pdf, nullptr},
};

constexpr const char* kUsageLine =
    "varne render [--handshake N] [--format txt|docx|pdf] [--output FILE] IMAGE";

// The handshake byte as the tester sends it (0..255) or as the signed number it stands for.
std::optional<std::uint8_t> parseHandshake(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < -128 || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

const OutputFormat* findFormat(const QString& name) {
    for (const OutputFormat& format : kFormats) {
        if (name == QLatin1String(format.name)) {
            return &format;
        }
    }
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> readImage(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

int runRender(const QStringList& arguments) {
    const CommandUsage usage("varne render", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes a report from a saved report image: the payload of the tester's report reply "
        "(normally 5121 bytes, the 5120-byte image and its check byte, which is not verified).\n"
        "Exit status: 0 written, 1 bad usage or unreadable IMAGE, 4 no test in the image, "
        "5 the report cannot be written (or the image is incomplete, or the Word report was "
        "saved without results: no bookmark of the template matched the label file).\n"
        "Without a Configure/ folder in the working directory, the shipped default Configure/ "
        "files are used (and named on standard error).");
    parser.addHelpOption();
    const QCommandLineOption handshakeOption(
        "handshake",
        "Handshake value the tester sent, 0..255 (or -128..127); 7 or more selects the "
        "ten-point excitation curve layout. Default: the value in the .json sidecar beside "
        "IMAGE (as varne get saves it), else 7.",
        "N", QString::number(kDefaultHandshake));
    const QCommandLineOption formatOption(
        "format",
        "Report format: txt (the default); docx, a Word report filled from the template "
        "Configure/Varne_Report.docx with the bookmark names of Configure/Varne_wordlabel.abl "
        "(below the working directory); or pdf, with the excitation curves plotted and their "
        "knee points. The Word or PDF report is never opened.",
        "FORMAT", "txt");
    const QCommandLineOption outputOption(
        "output",
        "Write the report to FILE instead of Varne_Report/Varne_Report.txt (txt) or "
        "Varne_Report/Varne_Report_YYYYMMDD_HHMMSS.docx or .pdf (docx, pdf) below the working "
        "directory. A missing directory is created.",
        "FILE");
    parser.addOption(handshakeOption);
    parser.addOption(formatOption);
    parser.addOption(outputOption);
    parser.addOption(CommandUsage::versionOption());
    parser.addPositionalArgument("IMAGE", "File holding the saved report image.");

    if (!parser.parse(arguments)) {
        return usage.error(parser.errorText());
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        std::fputs(qPrintable(usage.help(parser)), stdout);
        return ExitOk;
    }
    if (parser.isSet("version")) {
        return usage.version();
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usage.error("expected exactly one IMAGE file");
    }

    std::optional<std::uint8_t> handshake = parseHandshake(parser.value(handshakeOption));
    if (!handshake) {
        return usage.error("--handshake wants a number from 0 to 255, not '" +
                           parser.value(handshakeOption) + "'");
    }
    const std::filesystem::path imagePath(QFile::encodeName(positional.front()).toStdString());
    const auto download = RawImageArchive::recordFromSidecar(imagePath);
    if (!parser.isSet(handshakeOption) && download) {
        handshake = download->handshakeValue;
    }
    const OutputFormat* format = findFormat(parser.value(formatOption));
    if (format == nullptr) {
        return usage.error("unknown --format '" + parser.value(formatOption) + "'");
    }
    std::filesystem::path outputPath;
    if (parser.isSet(outputOption)) {
        outputPath = QFile::encodeName(parser.value(outputOption)).toStdString();
    } else if (format->defaultFileName != nullptr) {
        outputPath = BuildPaths().textReportPath.parent_path() / format->defaultFileName;
    }

    QString readError;
    const auto image = readImage(positional.front(), readError);
    if (!image) {
        std::fprintf(stderr, "varne render: %s\n", qPrintable(readError));
        return ExitUsage;
    }

    ConsoleMessageSink messages;
    ReportJob job;
    job.image = *image;
    job.handshakeValue = *handshake;
    job.output = format->output;
    job.textReportPath = outputPath;
    RecordTexts texts;
    if (format->output == ReportOutput::Text) {
        return exitCodeOf(WriteReport(job, texts, messages));
    }
    if (format->output == ReportOutput::Pdf) {
        // The header tells where the records come from: the download the sidecar recorded,
        // else the image file.
        job.facts = download ? DownloadFacts(downloadTimeText(download->localTime), download->port,
                                             *handshake)
                             : SavedImageFacts(imagePath.filename().string(), *handshake);
        PdfReportOptions pdfOptions;
        pdfOptions.outputDirectory = BuildPaths().textReportPath.parent_path();
        pdfOptions.outputFile = outputPath;
        PdfReportFile pdf(messages, pdfOptions);
        job.pdfWriter = &pdf;
        return exitCodeOf(WriteReport(job, texts, messages));
    }

    const ConfigPaths paths = findCommandConfiguration("varne render");
    Configuration config;
    ReadConfigFiles(paths, config, messages);
    WordReportOptions wordOptions;
    wordOptions.outputDirectory = paths.textReportPath.parent_path();
    wordOptions.outputFile = outputPath;
    CWordReport word(messages, wordOptions);
    job.templatePath = paths.templatePath;
    job.labels = &config.m_strLabel;
    job.wordWriter = &word;
    return exitCodeOf(WriteReport(job, texts, messages));
}

} // namespace varne::cli
