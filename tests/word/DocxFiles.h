#pragma once

#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <string>

namespace varne::test {

// Entries of a zip archive by name, read with libzip; empty when it cannot be opened.
std::map<std::string, std::string> ReadZipEntries(const std::filesystem::path& archive);

// Writes a zip archive holding `entries`.
void WriteZip(const std::filesystem::path& archive,
              const std::map<std::string, std::string>& entries);

// The main document part of a .docx, parsed with its whitespace as stored.
bool LoadDocumentXml(const std::filesystem::path& docx, pugi::xml_document& document);

// The text of a paragraph as a reader sees it: w:t texts, "\n" for w:br, "\t" for w:tab.
std::string ParagraphText(pugi::xml_node paragraph);

// The paragraph holding the start of the bookmark `name` (exact name), or the next one after it.
pugi::xml_node BookmarkParagraph(const pugi::xml_document& document, const std::string& name);

// A fresh, empty directory below the system's temporary directory, removed with the object.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::filesystem::path SourceDirectory();
std::filesystem::path ShippedTemplate();

} // namespace varne::test
