#pragma once

#include "link/ReportGenerator.h"
#include "report/RawImageArchive.h"
#include "report/RecordTexts.h"
#include "report/ReportDriver.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace varne {

class MessageSink;
struct SharedState;

// Writes the report of a finished download, the same for the dialog and the command-line
// tool: first the raw payload goes into the archive (so the download is never lost, whatever
// happens to the report), then the report driver writes the chosen report.
class ArchivingReportGenerator : public ReportGenerator {
public:
    struct Setup {
        const SharedState& shared;
        std::filesystem::path archiveDirectory; // Varne_Report/raw
        std::filesystem::path textReportPath;
        std::filesystem::path templatePath;
        const LabelTable& labels;
        std::function<ReportOutput()> output;          // asked at each report (radio buttons)
        std::function<std::string()> portName;         // recorded in the sidecar
        std::function<WordReportWriter*()> wordWriter; // made when a Word report is due
        MessageSink& messages;
    };
    explicit ArchivingReportGenerator(Setup setup) : s_(std::move(setup)) {}

    void WriteReport() override;
    // Writes PDF reports when the output asks for one; without it they fall back to text.
    void setPdfWriter(PdfReportWriter* writer) { pdfWriter_ = writer; }

    // The outcome of the last report, if one was written since start.
    std::optional<WriteReportResult> lastResult() const { return lastResult_; }
    const std::optional<std::filesystem::path>& lastArchivedImage() const { return archived_; }
    // What the last report's sidecar records (its time identifies the download).
    const RawImageRecord& lastDownload() const { return download_; }
    const RecordTexts& texts() const { return texts_; }

private:
    Setup s_;
    RecordTexts texts_;
    std::optional<WriteReportResult> lastResult_;
    std::optional<std::filesystem::path> archived_;
    RawImageRecord download_;
    PdfReportWriter* pdfWriter_ = nullptr;
};

} // namespace varne
