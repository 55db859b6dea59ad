#pragma once

#include "report/WordReportWriter.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace varne {

class DocumentOpener;
class MessageSink;

struct WordReportOptions {
    // Where timestamped reports go; empty: Varne_Report/ below the working directory.
    std::filesystem::path outputDirectory;
    // When set, the report is written to exactly this file (replacing it) instead of a
    // timestamped name.
    std::filesystem::path outputFile;
    std::function<std::chrono::system_clock::time_point()> clock = [] {
        return std::chrono::system_clock::now();
    };
    // Puts the saved report in front of the user; none: the report is only saved.
    DocumentOpener* opener = nullptr;
    // Where .doc templates converted by LibreOffice are kept; empty: the per-user cache.
    std::filesystem::path legacyCacheDirectory;
};

// The Word report: a new document made in memory from the .docx template, its bookmarks filled
// one by one, then saved under a name of its own and opened for the user.
class CWordReport : public WordReportWriter {
public:
    CWordReport(MessageSink& messages, WordReportOptions options);
    ~CWordReport() override;
    CWordReport(const CWordReport&) = delete;
    CWordReport& operator=(const CWordReport&) = delete;

    void SetTemplatePath(const std::filesystem::path& path) override;
    // Reads the template; on failure says "Please close the Varne_Report.doc" and gives 0,
    // after which fills and ShowDocument do nothing.
    int OpenDocument() override;
    bool FillLabel(const std::string& name, const std::string& text) override;
    // Saves the document (never over an earlier report) and opens it through the opener.
    // The document is closed afterwards: further fills do nothing until the next OpenDocument.
    bool ShowDocument() override;

    // The file the last ShowDocument saved; empty when it saved nothing.
    const std::filesystem::path& savedPath() const { return m_savedPath; }

private:
    struct OpenDocumentState;

    bool save(OpenDocumentState& document);

    MessageSink& m_messages;
    WordReportOptions m_options;
    std::filesystem::path m_strTemplatePath;
    std::unique_ptr<OpenDocumentState> m_document; // set while a document is open
    std::filesystem::path m_savedPath;
};

} // namespace varne
