#pragma once

#include <QStringList>

namespace varne::cli {

// One varne command: its name as typed, a one-line summary for the help text, and its entry
// point, which gets the arguments after the command name and returns an ExitCode.
struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

int runExport(const QStringList& arguments);
int runGet(const QStringList& arguments);
int runHistory(const QStringList& arguments);
int runImport(const QStringList& arguments);
int runPorts(const QStringList& arguments);
int runRender(const QStringList& arguments);
int runSimulate(const QStringList& arguments);

} // namespace varne::cli
