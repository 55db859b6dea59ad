#include "cli/CommandConfiguration.h"

#include "base/ConfigureFolder.h"

#include <cstdio>

namespace varne::cli {

ConfigPaths findCommandConfiguration(const char* command) {
    const ConfigurationPlace place = FindConfiguration();
    if (!place.shippedDefaults.empty()) {
        std::fprintf(stderr,
                     "%s: the working directory has no Configure/ folder; using the shipped "
                     "defaults in %s\n",
                     command, place.shippedDefaults.c_str());
    }
    return place.paths;
}

} // namespace varne::cli
