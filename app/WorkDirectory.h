#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varne {

// A program started from a desktop menu does not run in a folder of the user's choosing: it is
// told one. The folder is made on first use and its Configure/ is given the shipped defaults,
// file by file, never replacing a file that is already there; then the program runs in it.
// Gives the problem, in words for the user, when the folder cannot be made or entered.
std::optional<std::string> EnterWorkDirectory(const std::filesystem::path& directory,
                                              const std::filesystem::path& defaultConfigure);

// Copies the files of `defaultConfigure` into `directory`/Configure where they are missing.
// An empty or missing `defaultConfigure` copies nothing.
std::optional<std::string> SeedWorkDirectory(const std::filesystem::path& directory,
                                             const std::filesystem::path& defaultConfigure);

} // namespace varne
