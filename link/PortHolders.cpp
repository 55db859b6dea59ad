#include "link/PortHolders.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace varne {

namespace fs = std::filesystem;

namespace {

bool isProcessNumber(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

bool holds(const fs::path& fdDirectory, const fs::path& device) {
    std::error_code error;
    for (fs::directory_iterator fd(fdDirectory, error), end; !error && fd != end;
         fd.increment(error)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(fd->path(), linkError);
        if (!linkError && target == device) {
            return true;
        }
    }
    return false;
}

std::string commandName(const fs::path& processDirectory) {
    std::ifstream comm(processDirectory / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? std::string("unknown") : name;
}

} // namespace

std::vector<PortHolder> otherProcessesHolding(const fs::path& device, const fs::path& procRoot) {
    std::error_code error;
    const fs::path wanted = fs::weakly_canonical(device, error);
    if (error) {
        return {};
    }
    const std::string self = std::to_string(::getpid());
    std::vector<PortHolder> holders;
    for (fs::directory_iterator process(procRoot, error), end; !error && process != end;
         process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (!isProcessNumber(pid) || pid == self || !holds(process->path() / "fd", wanted)) {
            continue;
        }
        holders.push_back({std::stoi(pid), commandName(process->path())});
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

} // namespace varne
