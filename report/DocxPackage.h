#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varne {

// A Word document package (.docx: a zip archive of XML parts), held in memory as the bytes it
// was read from. Entries are read on demand; a changed copy of the package is made by replacing
// one entry, every other entry being copied as it stands.
class DocxPackage {
public:
    // Reads `path` and checks that it is a zip archive with a main document part. Gives nullopt,
    // with the reason in `error`, when it is missing, unreadable or not such a package.
    static std::optional<DocxPackage> Load(const std::filesystem::path& path, std::string& error);

    // The main document part named by the package relationships, normally word/document.xml.
    const std::string& mainDocumentPart() const { return mainDocumentPart_; }

    bool ReadEntry(const std::string& name, std::string& content, std::string& error) const;

    // The whole package with the entry `name` holding `content`.
    bool WithEntryReplaced(const std::string& name, std::string_view content,
                           std::vector<char>& package, std::string& error) const;

private:
    explicit DocxPackage(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    std::vector<char> bytes_;
    std::string mainDocumentPart_;
};

} // namespace varne
