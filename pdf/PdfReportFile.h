#pragma once

#include "report/PdfReportWriter.h"

#include <chrono>
#include <filesystem>
#include <functional>

namespace varne {

class DocumentOpener;
class MessageSink;

struct PdfReportOptions {
    // Where timestamped reports go; empty: Varne_Report/ below the working directory.
    std::filesystem::path outputDirectory;
    // When set, the report is written to exactly this file (replacing it atomically) instead of
    // a timestamped name.
    std::filesystem::path outputFile;
    std::function<std::chrono::system_clock::time_point()> clock = [] {
        return std::chrono::system_clock::now();
    };
    // Puts the saved report in front of the user with the desktop's PDF viewer; none: the
    // report is only saved.
    DocumentOpener* opener = nullptr;
};

// The PDF report as a file: Varne_Report_YYYYMMDD_HHMMSS.pdf (never over an earlier report) or
// the file asked for, written atomically, then opened when an opener is given.
class PdfReportFile : public PdfReportWriter {
public:
    PdfReportFile(MessageSink& messages, PdfReportOptions options);

    bool WritePdfReport(std::span<const TestRecord> records, const ReportFacts& facts) override;

    // The file the last report went to; empty when none was saved.
    const std::filesystem::path& savedPath() const { return savedPath_; }

private:
    bool save(std::span<const char> bytes, std::string& error);

    MessageSink& messages_;
    PdfReportOptions options_;
    std::filesystem::path savedPath_;
};

} // namespace varne
