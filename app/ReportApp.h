#pragma once

#include <filesystem>
#include <optional>

namespace varne {

class MessageSink;
class ProcessList;

// The program: refuses to start beside other programs of the tester's suite, moves into the
// folder it was told to run in, then shows the dialog until the user closes it.
class CReportApp {
public:
    struct Setup {
        ProcessList& processes;
        MessageSink& messages;
        // --workdir: made and seeded on first use, then entered. None: the working directory.
        std::optional<std::filesystem::path> workDirectory;
        // The shipped Configure/ files that seed a new work directory.
        std::filesystem::path defaultConfigure;
    };
    explicit CReportApp(Setup setup) : s_(std::move(setup)) {}

    // 0 after the dialog has closed; 1 when the start is refused or the work directory cannot
    // be used (the user has been told; no window is shown).
    int InitInstance();

private:
    Setup s_;
};

} // namespace varne
