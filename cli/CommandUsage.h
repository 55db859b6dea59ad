#pragma once

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace varne::cli {

// The usage line of one varne command, for its --help text and its usage errors. The parser
// names the running executable in its own usage line; the user typed "varne COMMAND".
class CommandUsage {
public:
    CommandUsage(const char* command, const char* usage) : command_(command), usage_(usage) {}

    // Says what is wrong and how the command is used, on standard error; gives ExitUsage.
    int error(const QString& problem) const;
    // The parser's help text under this command's usage line.
    QString help(const QCommandLineParser& parser) const;
    // Prints the program's version ("varne 3.12") on standard output; gives ExitOk.
    int version() const;
    // The --version option every command takes.
    static QCommandLineOption versionOption();

    // Parses a command's arguments and answers --help and --version. Gives the exit status when
    // the command is done (help, version, bad usage), nothing when it goes on. Arguments other
    // than options are refused unless the command takes them.
    enum class Positional { Refused, Taken };
    std::optional<int> parse(QCommandLineParser& parser, const QStringList& arguments,
                             Positional positional) const;

private:
    const char* command_;
    const char* usage_;
};

} // namespace varne::cli
