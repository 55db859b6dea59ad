#include "app/WorkDirectory.h"

#include <system_error>

namespace varne {

namespace fs = std::filesystem;

namespace {

std::string problemWith(const fs::path& path, const std::error_code& error) {
    return "Can not use the folder " + path.string() + ": " + error.message();
}

} // namespace

std::optional<std::string> SeedWorkDirectory(const fs::path& directory,
                                             const fs::path& defaultConfigure) {
    const fs::path configure = directory / "Configure";
    std::error_code error;
    fs::create_directories(configure, error);
    if (error) {
        return problemWith(configure, error);
    }
    if (defaultConfigure.empty() || !fs::is_directory(defaultConfigure, error)) {
        return std::nullopt;
    }
    fs::directory_iterator entries(defaultConfigure, error);
    if (error) {
        return std::nullopt; // no defaults to give; the program says what is missing
    }
    for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
        if (error) {
            return std::nullopt; // the defaults given so far stay; the program says what is missing
        }
        const fs::directory_entry& entry = *entries;
        if (!entry.is_regular_file(error)) {
            continue;
        }
        const fs::path target = configure / entry.path().filename();
        // symlink_status: a dangling link of the user's is still the user's file.
        if (fs::exists(fs::symlink_status(target, error))) {
            continue;
        }
        fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, error);
        if (error) {
            return problemWith(target, error);
        }
    }
    return std::nullopt;
}

std::optional<std::string> EnterWorkDirectory(const fs::path& directory,
                                              const fs::path& defaultConfigure) {
    if (auto problem = SeedWorkDirectory(directory, defaultConfigure)) {
        return problem;
    }
    std::error_code error;
    fs::current_path(directory, error);
    if (error) {
        return problemWith(directory, error);
    }
    return std::nullopt;
}

} // namespace varne
