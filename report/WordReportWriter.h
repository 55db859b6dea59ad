#pragma once

#include <filesystem>
#include <string>

namespace varne {

// What the report driver needs of a Word report writer. Calls come in this order:
// SetTemplatePath, OpenDocument, FillLabel three times per record (whatever OpenDocument
// gave), then ShowDocument.
class WordReportWriter {
public:
    virtual ~WordReportWriter() = default;
    virtual void SetTemplatePath(const std::filesystem::path& path) = 0;
    // 1 when a new document was made from the template, 0 on failure (already reported).
    virtual int OpenDocument() = 0;
    // Replaces the first paragraph of the bookmark `name` by `text`; unknown names do nothing.
    // True when a bookmark was filled.
    virtual bool FillLabel(const std::string& name, const std::string& text) = 0;
    // Saves the filled document and puts it in front of the user; nothing after a failed open.
    // True when the document was saved (whether or not it could be opened).
    virtual bool ShowDocument() = 0;
};

} // namespace varne
