#include "app/ProcProcessList.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

namespace varne {

namespace fs = std::filesystem;

std::string ProcProcessList::baseNameOfArgv0(const std::string& cmdline) {
    const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    const auto slash = argv0.find_last_of("/\\");
    return slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
}

std::vector<std::string> ProcProcessList::executableNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(procRoot_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; })) {
            continue; // only process directories; thread ids are not listed at this level
        }
        std::ifstream in(it->path() / "cmdline", std::ios::binary);
        if (!in) {
            continue; // the process ended meanwhile
        }
        const std::string cmdline{std::istreambuf_iterator<char>(in), {}};
        if (!cmdline.empty()) { // kernel threads have an empty command line
            names.push_back(baseNameOfArgv0(cmdline));
        }
    }
    return names;
}

} // namespace varne
