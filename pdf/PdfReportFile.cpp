#include "pdf/PdfReportFile.h"

#include "base/MessageSink.h"
#include "pdf/PdfReportDocument.h"
#include "report/AtomicFile.h"
#include "report/DocumentOpener.h"
#include "report/ReportFileName.h"

namespace varne {

namespace fs = std::filesystem;

namespace {

constexpr auto kNoViewer = "No PDF viewer was found to open the report.";
constexpr auto kViewerFailed = "The PDF viewer could not open the report.";
// Reports written within the same second take the suffixes _2, _3 ...; this many are tried.
constexpr int kMostNameAttempts = 1000;

} // namespace

PdfReportFile::PdfReportFile(MessageSink& messages, PdfReportOptions options)
    : messages_(messages), options_(std::move(options)) {}

bool PdfReportFile::save(std::span<const char> bytes, std::string& error) {
    if (!options_.outputFile.empty()) {
        if (!writeFileAtomically(options_.outputFile, bytes, error)) {
            return false;
        }
        savedPath_ = options_.outputFile;
        return true;
    }
    std::error_code ignored;
    const fs::path directory = options_.outputDirectory.empty()
                                   ? fs::current_path(ignored) / "Varne_Report"
                                   : options_.outputDirectory;
    const auto now = options_.clock ? options_.clock() : std::chrono::system_clock::now();
    for (int attempt = 0; attempt < kMostNameAttempts; ++attempt) {
        // Another writer may take the free name first; then the next one is tried.
        const fs::path target = FreeReportPath(fs::absolute(directory, ignored), now, ".pdf");
        switch (writeNewFileAtomically(target, bytes, error)) {
        case NewFileResult::Written:
            savedPath_ = target;
            return true;
        case NewFileResult::Failed:
            return false;
        case NewFileResult::Taken:
            break;
        }
    }
    error = "cannot find a free file name in " + directory.string();
    return false;
}

bool PdfReportFile::WritePdfReport(std::span<const TestRecord> records, const ReportFacts& facts) {
    savedPath_.clear();
    QString renderError;
    const QByteArray pdf = RenderPdfReport({facts, records}, renderError);
    std::string error;
    if (pdf.isEmpty()) {
        error = renderError.toStdString();
    } else if (save(std::span<const char>(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                    error)) {
        std::error_code ec;
        fs::path shown = fs::absolute(savedPath_, ec);
        if (ec) {
            shown = savedPath_;
        }
        if (options_.opener != nullptr) {
            const OpenOutcome outcome = options_.opener->Open(savedPath_);
            if (outcome == OpenOutcome::NoApplication) {
                messages_.error(kNoViewer);
            } else if (outcome == OpenOutcome::Failed) {
                messages_.error(kViewerFailed);
            }
        }
        messages_.information("Save Success!!!", "PDF report saved as " + shown.string());
        return true;
    }
    messages_.error("The PDF report could not be saved: " + error);
    return false;
}

} // namespace varne
