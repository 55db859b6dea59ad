// The dialog program a technician starts.

#include "app/ProcProcessList.h"
#include "app/ReportApp.h"
#include "app/WorkDirectory.h"
#include "base/CNumberConventions.h"
#include "base/ProgramVersion.h"
#include "base/ShippedDefaults.h"
#include "ui/MessageBoxSink.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    varne::KeepCNumberConventions();
    QCoreApplication::setApplicationName(QStringLiteral("orvex_report"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(varne::kProgramVersion));

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
        std::error_code error;
        workDirectory = fs::absolute(QFile::encodeName(value).toStdString(), error);
        if (error) {
            std::fprintf(stderr, "orvex_report: can not use the folder %s: %s\n", qPrintable(value),
                         error.message().c_str());
            return 1;
        }
    }

    varne::ProcProcessList processes;
    varne::MessageBoxSink messages;
    varne::CReportApp reportApp({processes, messages, workDirectory,
                                 workDirectory ? varne::ShippedConfigureDirectory() : fs::path()});
    return reportApp.InitInstance();
}
