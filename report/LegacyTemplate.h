#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace varne {

// Makes an old binary Word template (.doc) usable: LibreOffice converts it to .docx once, into a
// per-user cache, and the cached copy serves until the .doc changes (its size or modification
// time). The directory of the .doc is never written.
class LegacyTemplate {
public:
    // $XDG_CACHE_HOME/varne-report, else ~/.cache/varne-report.
    static std::filesystem::path DefaultCacheDirectory();

    explicit LegacyTemplate(std::filesystem::path cacheDirectory = DefaultCacheDirectory());

    // The .docx made from `docPath`, converting it when the cache holds no current copy.
    // Gives nullopt with the reason in `error` when LibreOffice is missing or fails.
    std::optional<std::filesystem::path> Convert(const std::filesystem::path& docPath,
                                                 std::string& error) const;

private:
    std::filesystem::path cacheDirectory_;
};

} // namespace varne
