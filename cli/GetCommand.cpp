#include "base/ConfigFiles.h"
#include "cli/Command.h"
#include "cli/CommandConfiguration.h"
#include "cli/CommandUsage.h"
#include "cli/ConsoleButton.h"
#include "cli/ConsoleMessageSink.h"
#include "cli/ExitCode.h"
#include "cli/LibraryAccess.h"
#include "library/LibraryReportGenerator.h"
#include "link/ConfiguredTesterFinder.h"
#include "link/DownloadSession.h"
#include "link/LinkLayer.h"
#include "link/SerialPortDriver.h"
#include "link/SharedState.h"
#include "link/SysfsSerialDeviceMap.h"
#include "link/TimerTick.h"
#include "link/UiStepController.h"
#include "pdf/PdfReportFile.h"
#include "report/ArchivingReportGenerator.h"
#include "report/WordReport.h"
#include "report/XdgDocumentOpener.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace varne::cli {

namespace {

// However a download goes, it ends well before this (the reply timers are 1.5 and 2.5 s).
constexpr qint64 kLongestDownloadMs = 60'000;

struct GetOptions {
    std::string port;
    ReportOutput output = ReportOutput::Text;
    SerialTiming timing = SerialTiming::fast();
    bool faithful = false;
    bool open = true;
    bool trace = false;
    std::optional<std::string> library;
};

// Notes on standard error which tick did what, so the schedule can be followed.
class TickTrace {
public:
    explicit TickTrace(bool on) : on_(on) {}
    void nextTick() { ++tick_; }
    void note(const char* what) const {
        if (on_) {
            std::fprintf(stderr, "tick %d: %s\n", tick_, what);
        }
    }

private:
    bool on_;
    int tick_ = 0;
};

class TracedPort : public TesterPort {
public:
    TracedPort(TesterPort& port, const TickTrace& trace) : port_(port), trace_(trace) {}
    int OpenTesterPort() override { return port_.OpenTesterPort(); }
    void SendPayload(std::span<const std::uint8_t> frame) override {
        port_.SendPayload(frame);
        trace_.note(frame.size() > 4 && frame[4] == 0x0B ? "handshake request written"
                                                         : "report request written");
    }
    bool IsOpen() const override { return port_.IsOpen(); }
    void Close() override { port_.Close(); }
    std::string openFailureReason() const override { return port_.openFailureReason(); }

private:
    TesterPort& port_;
    const TickTrace& trace_;
};

class TracedReport : public ReportGenerator {
public:
    TracedReport(ReportGenerator& report, const TickTrace& trace)
        : report_(report), trace_(trace) {}
    void WriteReport() override {
        trace_.note("report accepted, writing it");
        report_.WriteReport();
    }

private:
    ReportGenerator& report_;
    const TickTrace& trace_;
};

class ProgressLine {
public:
    explicit ProgressLine(bool on) : on_(on) {}
    ~ProgressLine() { finish(); }
    void show(std::size_t received) {
        if (on_ && received != last_) {
            std::fprintf(stderr, "\rReceiving report: %zu of 5121 bytes", received);
            std::fflush(stderr);
            last_ = received;
            shown_ = true;
        }
    }
    void finish() {
        if (shown_) {
            std::fputc('\n', stderr);
            shown_ = false;
        }
    }

private:
    bool on_;
    bool shown_ = false;
    std::size_t last_ = 0;
};

std::optional<GetOptions> parseOptions(const QStringList& arguments, int& exitCode) {
    const CommandUsage usage("varne get", "varne get [options]");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Downloads the report memory of a tester and writes the report, below the working "
        "directory like the dialog: reads Configure/, finds the tester's port, keeps the raw "
        "download in Varne_Report/raw/ and writes Varne_Report/Varne_Report.txt (or a Word or PDF "
        "report Varne_Report/Varne_Report_YYYYMMDD_HHMMSS.docx or .pdf), then adds the download to "
        "the "
        "record library and says how many of its tests were new (when the library cannot be "
        "written, the report stands: a warning on standard error, and the exit status is that "
        "of the report).\n"
        "Exit status: 0 written, 1 bad usage, 2 tester not found or port not opened, "
        "3 communication failed, 4 no report in the tester, 5 report cannot be written (or the "
        "Word report was saved without results: no bookmark of the template matched the label "
        "file).\n"
        "Without a Configure/ folder in the working directory, the shipped default Configure/ "
        "files are used (and named on standard error).");
    parser.addHelpOption();
    const QCommandLineOption portOption(
        "port",
        "Serial port of the tester, e.g. /dev/ttyUSB0 (default: port discovery, then "
        "the port file Configure/Varne_Com.txt).",
        "P");
    const QCommandLineOption formatOption(
        "format", "Report format: txt (default), docx or pdf (with the excitation curves plotted).",
        "FORMAT", "txt");
    const QCommandLineOption faithfulOption(
        "faithful", "Run the dialog's timing exactly: a 1000 ms tick, the port reopened before "
                    "each request, 100/1500 ms receive waits. Default: a 20 ms tick, the port "
                    "kept open, a reply read as soon as it is complete.");
    const QCommandLineOption noOpenOption("no-open",
                                          "Do not open the Word or PDF report after saving it.");
    const QCommandLineOption traceOption("trace", "Note on standard error which tick did what.");
    parser.addOptions({portOption, formatOption, faithfulOption, noOpenOption, traceOption,
                       CommandUsage::versionOption()});
    parser.addOption(libraryOption());

    if (!parser.parse(arguments)) {
        exitCode = usage.error(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(usage.help(parser)), stdout);
        exitCode = ExitOk;
        return std::nullopt;
    }
    if (parser.isSet("version")) {
        exitCode = usage.version();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        exitCode =
            usage.error("unexpected argument '" + parser.positionalArguments().front() + "'");
        return std::nullopt;
    }
    GetOptions options;
    const QString format = parser.value(formatOption);
    if (format == "txt") {
        options.output = ReportOutput::Text;
    } else if (format == "docx") {
        options.output = ReportOutput::Word;
    } else if (format == "pdf") {
        options.output = ReportOutput::Pdf;
    } else {
        exitCode = usage.error("unknown --format '" + format + "' (txt, docx or pdf)");
        return std::nullopt;
    }
    if (parser.isSet(portOption)) {
        options.port = QFile::encodeName(parser.value(portOption)).toStdString();
        if (options.port.empty()) {
            exitCode = usage.error("--port wants a port name");
            return std::nullopt;
        }
    }
    options.faithful = parser.isSet(faithfulOption);
    options.timing = options.faithful ? SerialTiming::faithful() : SerialTiming::fast();
    options.open = !parser.isSet(noOpenOption);
    options.trace = parser.isSet(traceOption);
    if (parser.isSet("library")) {
        options.library = QFile::encodeName(parser.value("library")).toStdString();
        std::string error;
        if (!library::ParseLibraryLocation(*options.library, error)) {
            exitCode = usage.error(QString::fromStdString(error));
            return std::nullopt;
        }
    }
    return options;
}

} // namespace

int runGet(const QStringList& arguments) {
    int exitCode = ExitOk;
    const auto options = parseOptions(arguments, exitCode);
    if (!options) {
        return exitCode;
    }

    ConsoleMessageSink messages;
    const ConfigPaths paths = findCommandConfiguration("varne get");
    Configuration config;
    ReadConfigFiles(paths, config, messages);

    SysfsSerialDeviceMap deviceMap;
    PortDiscovery discovery(deviceMap);
    ConfiguredTesterFinder finder(discovery, config, options->port);

    SharedState shared;
    LinkLayer link;
    DownloadSession session(link, shared);
    link.configure(session);

    SerialPortDriver driver(
        shared, link, [&finder] { return finder.portName(); }, options->timing);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    ProgressLine progress(terminal);
    driver.setProgressCallback([&progress](std::size_t received) { progress.show(received); });
    TickTrace trace(options->trace);
    QObject::connect(&driver.comm(), &CMSComm::OnComm, [&driver, &link, &trace] {
        const auto before = link.receiveQueueCount();
        driver.OnCommEvent();
        if (link.receiveQueueCount() != before) {
            trace.note("reply block received");
        }
    });

    std::unique_ptr<XdgDocumentOpener> opener;
    if (options->open) {
        opener = options->output == ReportOutput::Pdf
                     ? std::make_unique<XdgDocumentOpener>("application/pdf")
                     : std::make_unique<XdgDocumentOpener>();
    }
    WordReportOptions wordOptions;
    wordOptions.outputDirectory = paths.textReportPath.parent_path();
    wordOptions.opener = opener.get();
    CWordReport word(messages, wordOptions);

    ArchivingReportGenerator report({shared, paths.textReportPath.parent_path() / "raw",
                                     paths.textReportPath, paths.templatePath, config.m_strLabel,
                                     [&options] { return options->output; },
                                     [&finder] { return finder.portName(); },
                                     [&word]() -> WordReportWriter* { return &word; }, messages});
    PdfReportOptions pdfOptions;
    pdfOptions.outputDirectory = paths.textReportPath.parent_path();
    pdfOptions.opener = opener.get();
    PdfReportFile pdf(messages, pdfOptions);
    report.setPdfWriter(&pdf);
    // After the report and the raw archive, the download goes into the record library.
    library::LibraryReportGenerator libraryReport(
        {report, shared,
         [&options, &paths](std::string& error) {
             return library::ResolveLibraryLocation(
                 options->library, library::DefaultLibraryFile(paths.textReportPath), error);
         },
         messages,
         [](const library::AddResult& added) {
             std::printf("Library: %zu tests in this download, %zu new.\n", added.tests,
                         added.newTests);
             std::fflush(stdout);
         }});
    TracedPort tracedPort(driver, trace);
    TracedReport tracedReport(libraryReport, trace);
    ConsoleButton button(terminal);
    UiStepController ui(
        {shared, link, session, tracedPort, finder, tracedReport, button, messages});

    ui.initialDiscovery();
    shared.uiPhase = UiPhase::Idle;
    shared.sessionState = SessionState::Idle;
    if (!ui.OnGetReport()) {
        return ExitNoTester; // the message names the reason
    }

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    // The fast timing does not wait for a tick when there is something to do: it ticks at once
    // after the start, after a reply has come in and after a tick that moved the session on.
    const bool eager = !options->faithful;
    qint64 nextTick = eager ? 0 : options->timing.tickMs;
    while (shared.busy) {
        const qint64 now = clock.elapsed();
        if (now > kLongestDownloadMs) {
            std::fprintf(stderr, "varne get: the download did not end; giving up\n");
            return ExitCommFailed;
        }
        if (now >= nextTick) {
            trace.nextTick();
            // The dialog's tick is exactly its period; the fast tick counts the time it took,
            // less the time spent gathering a reply that was arriving.
            const qint64 gathering = driver.takeReceiveWaitMs();
            const auto elapsed =
                options->faithful
                    ? options->timing.tickMs
                    : static_cast<std::int32_t>(std::max<qint64>(now - lastTick - gathering, 0));
            const SessionState before = shared.sessionState;
            timerTick(link, session, elapsed, ui);
            lastTick = now;
            nextTick = eager && shared.sessionState != before
                           ? now
                           : std::max(nextTick + options->timing.tickMs, now + 1);
            continue;
        }
        // Bytes arriving raise the receive event, which reads the reply block.
        const auto received = link.receiveQueueCount();
        if (driver.IsOpen() && driver.comm().waitForInput(static_cast<int>(nextTick - now))) {
            if (eager && link.receiveQueueCount() != received) {
                nextTick = clock.elapsed();
            }
            continue;
        }
        if (const qint64 left = nextTick - clock.elapsed(); left > 0) {
            QThread::msleep(static_cast<unsigned long>(left));
        }
    }
    progress.finish();
    if (driver.IsOpen()) {
        driver.Close();
    }
    // No report written: the download failed, and the user has been told.
    return report.lastResult() ? exitCodeOf(*report.lastResult()) : ExitCommFailed;
}

} // namespace varne::cli
