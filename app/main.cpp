// The dialog program a technician starts.

#include "app/ProcProcessList.h"
#include "app/ReportApp.h"
#include "app/WorkDirectory.h"
#include "ui/MessageBoxSink.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The shipped Configure/ files: installed beside the program, or in the source tree when the
// program runs from its build tree.
fs::path defaultConfigureDirectory() {
    const fs::path executableDirectory =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    return varne::FirstExistingDirectory({
        executableDirectory / VARNE_INSTALLED_CONFIGURE_RELATIVE,
#ifdef VARNE_SOURCE_CONFIGURE_DIR
        fs::path(VARNE_SOURCE_CONFIGURE_DIR),
#endif
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvex_report"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.12"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Downloads the report memory of a Varne relay tester and writes its report. Reads "
        "Configure/ and writes Varne_Report/ below the working directory.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption workDirOption(
        "workdir",
        "Run in DIR instead of the working directory: DIR and DIR/Configure are made when "
        "missing and given the shipped configuration files (files already there are kept).",
        "DIR");
    parser.addOption(workDirOption);
    parser.process(application);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "orvex_report: unexpected argument '%s'\n\n%s",
                     qPrintable(parser.positionalArguments().front()),
                     qPrintable(parser.helpText()));
        return 1;
    }

    std::optional<fs::path> workDirectory;
    if (parser.isSet(workDirOption)) {
        const QString value = parser.value(workDirOption);
        if (value.isEmpty()) {
            std::fprintf(stderr, "orvex_report: --workdir wants a folder\n");
            return 1;
        }
        workDirectory = fs::absolute(QFile::encodeName(value).toStdString());
    }

    varne::ProcProcessList processes;
    varne::MessageBoxSink messages;
    varne::CReportApp reportApp({processes, messages, workDirectory,
                                 workDirectory ? defaultConfigureDirectory() : fs::path()});
    return reportApp.InitInstance();
}
