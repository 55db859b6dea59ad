#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace varne {

// A process that has a device open.
struct PortHolder {
    int pid = 0;
    std::string name; // the process's command name
};

// The other processes that hold `device` open, as far as `procRoot` (the proc file system)
// lets this user see; this process itself is left out. Empty when nothing can be told.
std::vector<PortHolder> otherProcessesHolding(const std::filesystem::path& device,
                                              const std::filesystem::path& procRoot = "/proc");

} // namespace varne
