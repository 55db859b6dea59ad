#pragma once

#include <filesystem>
#include <string_view>

namespace varne::fuzz {

// Writes a minimal Word package whose main document part word/document.xml holds `documentXml`
// as it is; everything else in the package is valid. False when the archive cannot be written.
bool WriteDocxWithDocumentXml(const std::filesystem::path& archive, std::string_view documentXml);

} // namespace varne::fuzz
