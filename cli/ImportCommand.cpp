#include "cli/Command.h"
#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "cli/LibraryAccess.h"
#include "library/LibraryError.h"
#include "library/SavedDownload.h"

#include <QFile>
#include <cstdio>

namespace varne::cli {

namespace {

constexpr const char* kUsageLine = "varne import [--library LOCATION] [--handshake N] FILE...";

std::optional<std::uint8_t> parseHandshake(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < -128 || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace

int runImport(const QStringList& arguments) {
    const CommandUsage usage("varne import", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Adds saved raw report images (as varne get and the dialog keep them in "
        "Varne_Report/raw/) to the record library, and prints for each FILE how many tests it "
        "held and how many of them were new. A download is known by its payload and its time "
        "(the time in the .json sidecar beside FILE, else the file's modification time): "
        "importing a download twice adds nothing.\n"
        "Exit status: 0 added, 1 bad usage or an unreadable FILE (the others are still added), "
        "5 the library cannot be opened or written (nothing of it is changed).");
    parser.addHelpOption();
    const QCommandLineOption handshakeOption(
        "handshake",
        "Handshake value the tester sent, 0..255 (or -128..127); 7 or more selects the "
        "ten-point excitation curve layout. Default: the value in the .json sidecar beside "
        "FILE, else 7.",
        "N");
    parser.addOption(handshakeOption);
    parser.addOption(libraryOption());
    parser.addOption(CommandUsage::versionOption());
    parser.addPositionalArgument("FILE", "Saved report image (the tester's report payload).",
                                 "FILE...");
    if (const auto done = usage.parse(parser, arguments, CommandUsage::Positional::Taken)) {
        return *done;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        return usage.error("expected at least one FILE");
    }
    std::optional<std::uint8_t> handshake;
    if (parser.isSet(handshakeOption)) {
        handshake = parseHandshake(parser.value(handshakeOption));
        if (!handshake) {
            return usage.error("--handshake wants a number from 0 to 255, not '" +
                               parser.value(handshakeOption) + "'");
        }
    }

    int exitCode = ExitOk;
    const auto library =
        openLibrary(parser, usage, library::RecordLibrary::Access::Write, exitCode);
    if (!library) {
        return exitCode;
    }
    for (const QString& file : files) {
        std::string error;
        const auto saved =
            library::ReadSavedDownload(QFile::encodeName(file).toStdString(), handshake, error);
        const auto tests =
            saved ? library::TestsOfPayload(saved->payload, saved->info.handshake) : std::nullopt;
        if (!saved || !tests) {
            std::fprintf(stderr, "varne import: %s\n",
                         saved ? qPrintable(file + ": not a complete report image")
                               : error.c_str());
            exitCode = ExitUsage;
            continue;
        }
        try {
            const library::AddResult added = library->addDownload(saved->info, *tests);
            std::printf("%s: %zu tests, %zu new%s\n", qPrintable(file), added.tests, added.newTests,
                        added.alreadyAdded ? " (this download is already in the library)" : "");
            std::fflush(stdout);
        } catch (const library::LibraryError& e) {
            std::fprintf(stderr, "varne import: %s: %s\n", qPrintable(file), e.what());
            return ExitLibraryFailed;
        }
    }
    return exitCode;
}

} // namespace varne::cli
