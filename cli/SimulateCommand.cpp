#include "cli/Command.h"
#include "cli/CommandUsage.h"
#include "cli/ExitCode.h"
#include "sim/DemoImage.h"
#include "sim/ReportReply.h"
#include "sim/SimulatorFault.h"
#include "sim/TesterSimulator.h"

#include <QCommandLineParser>
#include <QFile>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

namespace varne::cli {

namespace {

// The simulator that SIGTERM and SIGINT stop. A signal handler can reach it only this way.
std::atomic<TesterSimulator*> runningSimulator{nullptr};

extern "C" void stopRunningSimulator(int) {
    if (TesterSimulator* simulator = runningSimulator.load()) {
        simulator->requestStop();
    }
}

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = stopRunningSimulator;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void logLine(const std::string& line) {
    std::fprintf(stderr, "varne simulate: %s\n", line.c_str());
    std::fflush(stderr);
}

QString faultNames() {
    QStringList names;
    for (const SimulatorFault fault : kAllSimulatorFaults) {
        names << QString::fromLatin1(faultName(fault).data(),
                                     static_cast<qsizetype>(faultName(fault).size())) +
                     (faultTakesSeconds(fault) ? "=SECONDS" : "");
    }
    return names.join(", ");
}

constexpr const char* kUsageLine =
    "varne simulate [--image FILE] [--handshake N] [--fault KIND] [--no-pace]";

} // namespace

int runSimulate(const QStringList& arguments) {
    const CommandUsage usage("varne simulate", kUsageLine);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Acts as a Varne tester on a pseudo-terminal. The first line of standard output is the "
        "device to use as the tester's serial port; each request and reply is logged on standard "
        "error. Runs until stopped with Ctrl+C or SIGTERM (exit status 0).");
    const QCommandLineOption helpOption({"h", "help"}, "Show this help.");
    const QCommandLineOption imageOption(
        "image",
        "Serve the report image in FILE (5120 bytes, or 5121 bytes with its check byte) instead "
        "of the built-in demo image.",
        "FILE");
    const QCommandLineOption handshakeOption(
        "handshake", "Handshake value N (0..255) in the handshake reply; default 7.", "N");
    const QCommandLineOption faultOption(
        "fault",
        "Misbehave: one of " + faultNames() +
            ". late and pause hold the report reply back for SECONDS (e.g. 0.6) before it "
            "begins or in its middle.",
        "KIND");
    const QCommandLineOption noPaceOption(
        "no-pace", "Send replies at once instead of at the pace of a 38400-baud line.");
    parser.addOptions({helpOption, imageOption, handshakeOption, faultOption, noPaceOption,
                       CommandUsage::versionOption()});

    if (!parser.parse(arguments)) {
        return usage.error(parser.errorText());
    }
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(usage.help(parser)), stdout);
        return ExitOk;
    }
    if (parser.isSet("version")) {
        return usage.version();
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usage.error("unexpected argument '" + parser.positionalArguments().first() + "'");
    }

    SimulatorSettings settings;
    settings.paced = !parser.isSet(noPaceOption);
    if (parser.isSet(handshakeOption)) {
        bool ok = false;
        const uint value = parser.value(handshakeOption).toUInt(&ok, 0);
        if (!ok || value > 255) {
            return usage.error("the handshake value must be a number from 0 to 255, not '" +
                               parser.value(handshakeOption) + "'");
        }
        settings.handshakeValue = static_cast<std::uint8_t>(value);
    }
    if (parser.isSet(faultOption)) {
        const std::optional<FaultChoice> choice =
            parseFaultChoice(parser.value(faultOption).toStdString());
        if (!choice) {
            return usage.error("unknown fault '" + parser.value(faultOption) +
                               "'; known: " + faultNames() + " (SECONDS from 0 to 60)");
        }
        settings.fault = choice->fault;
        settings.faultDelay = choice->delay;
    }
    std::string imageName = "the demo image";
    if (parser.isSet(imageOption)) {
        QFile file(parser.value(imageOption));
        if (!file.open(QIODevice::ReadOnly)) {
            return usage.error("cannot read " + file.fileName() + ": " + file.errorString());
        }
        const QByteArray contents = file.readAll();
        const ReportReply reply = reportReplyFromFile(
            std::span(reinterpret_cast<const std::uint8_t*>(contents.constData()),
                      static_cast<std::size_t>(contents.size())));
        if (!reply.note.empty()) {
            logLine(reply.note);
        }
        settings.reportReply = reply.payload;
        imageName = file.fileName().toStdString();
    } else {
        const std::vector<std::uint8_t> image = demoReportImage();
        settings.reportReply = reportReplyFromFile(image).payload;
    }

    try {
        TesterSimulator simulator(settings, logLine);
        runningSimulator = &simulator;
        installStopHandlers();
        std::printf("%s\n", simulator.devicePath().c_str());
        std::fflush(stdout);
        logLine("tester on " + simulator.devicePath() + ", serving " + imageName +
                ", handshake value " + std::to_string(settings.handshakeValue) + ", fault " +
                (parser.isSet(faultOption) ? parser.value(faultOption).toStdString()
                                           : std::string(faultName(settings.fault))) +
                (settings.paced ? ", paced at 38400 baud" : ", not paced"));
        const TesterSimulator::Outcome outcome = simulator.run();
        runningSimulator = nullptr;
        switch (outcome) {
        case TesterSimulator::Outcome::Stopped:
            logLine("stopped");
            return ExitOk;
        case TesterSimulator::Outcome::LinkClosed:
            logLine("line closed, ending");
            return ExitOk;
        case TesterSimulator::Outcome::Failed:
            return ExitCommFailed;
        }
    } catch (const std::exception& e) {
        runningSimulator = nullptr;
        logLine(std::string("cannot open a pseudo-terminal: ") + e.what());
        return ExitCommFailed;
    }
    return ExitOk;
}

} // namespace varne::cli
