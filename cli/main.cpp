#include "base/CNumberConventions.h"
#include "base/ProgramVersion.h"
#include "cli/ApplicationChoice.h"
#include "cli/Command.h"
#include "cli/ExitCode.h"

#include <QCoreApplication>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using varne::cli::Command;

constexpr std::array commands{
    Command{"get", "download the tester's report and write it", varne::cli::runGet},
    Command{"import", "add saved raw report images to the record library", varne::cli::runImport},
    Command{"history", "list the tests in the record library", varne::cli::runHistory},
    Command{"export", "write the tests of the record library as CSV or JSON",
            varne::cli::runExport},
    Command{"ports", "list serial ports and the one discovery picks", varne::cli::runPorts},
    Command{"render", "write a report from a saved report image", varne::cli::runRender},
    Command{"simulate", "act as a tester on a pseudo-terminal", varne::cli::runSimulate},
};

void printUsage(std::FILE* out) {
    std::fprintf(out, "Usage: varne COMMAND [OPTIONS]\n\nCommands:\n");
    for (const Command& c : commands) {
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    }
    std::fprintf(out, "\nRun 'varne COMMAND --help' for the options of a command, 'varne "
                      "--version' for the\nversion.\n");
}

} // namespace

int main(int argc, char** argv) {
    varne::cli::ApplicationChoice choice(argc, argv);
    const std::unique_ptr<QCoreApplication> app = choice.make();
    varne::KeepCNumberConventions();
    QCoreApplication::setApplicationName("varne");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(varne::kProgramVersion));

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        printUsage(stderr);
        return varne::cli::ExitUsage;
    }
    const QString name = arguments.at(1);
    if (name == "--version" || name == "-v") {
        std::printf("varne %s\n", varne::kProgramVersion);
        return varne::cli::ExitOk;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(stdout);
        return varne::cli::ExitOk;
    }
    for (const Command& c : commands) {
        if (name == QLatin1String(c.name)) {
            // The command sees "varne COMMAND" as its program name, then its own options.
            QStringList rest = arguments.mid(2);
            rest.prepend(QStringLiteral("varne ") + name);
            return c.run(rest);
        }
    }
    std::fprintf(stderr, "varne: unknown command '%s'\n\n", qPrintable(name));
    printUsage(stderr);
    return varne::cli::ExitUsage;
}
