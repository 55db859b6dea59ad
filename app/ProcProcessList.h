#pragma once

#include "app/ProcessList.h"

#include <filesystem>

namespace varne {

// Reads /proc: for each process, the base name of argv[0] from its cmdline (either path
// separator). Never `comm`, which the kernel cuts at 15 characters.
class ProcProcessList : public ProcessList {
public:
    explicit ProcProcessList(std::filesystem::path procRoot = "/proc")
        : procRoot_(std::move(procRoot)) {}
    std::vector<std::string> executableNames() override;

    // The base name of a command line's first argument.
    static std::string baseNameOfArgv0(const std::string& cmdline);

private:
    std::filesystem::path procRoot_;
};

} // namespace varne
