#pragma once

#include "base/ConfigFiles.h"

#include <filesystem>

namespace varne {

// Where the command-line tool reads its configuration from.
struct ConfigurationPlace {
    ConfigPaths paths;
    // The shipped default Configure/ folder when it stands in for the working directory's;
    // empty when the working directory's own Configure/ is read.
    std::filesystem::path shippedDefaults;
};

// The working directory's Configure/ when it has one, whatever it holds (so that a missing
// file there is told as always); only when there is no Configure/ at all, the shipped default
// Configure/ files, found relative to the program. The reports still go below the working
// directory.
ConfigurationPlace FindConfiguration();
// The same, for a given working directory and shipped default folder (empty: none).
ConfigurationPlace FindConfiguration(const std::filesystem::path& workingDirectory,
                                     const std::filesystem::path& shippedDefaults);

} // namespace varne
