#include "cli/CommandUsage.h"

#include "base/ProgramVersion.h"
#include "cli/ExitCode.h"

#include <QCommandLineParser>
#include <cstdio>

namespace varne::cli {

int CommandUsage::error(const QString& problem) const {
    std::fprintf(stderr, "%s: %s\nUsage: %s\nRun '%s --help' for details.\n", command_,
                 qPrintable(problem), usage_, command_);
    return ExitUsage;
}

QString CommandUsage::help(const QCommandLineParser& parser) const {
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf('\n');
    text.replace(0, lineEnd, QStringLiteral("Usage: ") + usage_);
    return text;
}

int CommandUsage::version() const {
    std::printf("varne %s\n", kProgramVersion);
    return ExitOk;
}

QCommandLineOption CommandUsage::versionOption() {
    return QCommandLineOption(QStringLiteral("version"), QStringLiteral("Show the version."));
}

std::optional<int> CommandUsage::parse(QCommandLineParser& parser, const QStringList& arguments,
                                       Positional positional) const {
    if (!parser.parse(arguments)) {
        return error(parser.errorText());
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(help(parser)), stdout);
        return ExitOk;
    }
    if (parser.isSet("version")) {
        return version();
    }
    if (positional == Positional::Refused && !parser.positionalArguments().isEmpty()) {
        return error("unexpected argument '" + parser.positionalArguments().front() + "'");
    }
    return std::nullopt;
}

} // namespace varne::cli
