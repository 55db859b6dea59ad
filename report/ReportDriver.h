#pragma once

#include "report/RecordTexts.h"
#include "report/ReportFacts.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace varne {

class MessageSink;
class PdfReportWriter;
class WordReportWriter;

enum class ReportOutput { Word, Text, Pdf };

enum class WriteReportResult {
    Written,            // the text report was written, or the Word document filled
    NoRecord,           // the image holds no test
    ImageIncomplete,    // the image is shorter than the layout it must hold
    CannotWrite,        // the text report or the PDF could not be written, or the Word document
                        // not made or not saved
    WordWithoutResults, // the Word document was saved, but not one of its bookmarks was filled
};

// Told after "Save Success!!!" when the Word report was saved without any result in it.
inline constexpr char kWordReportWithoutResults[] =
    "No bookmark of the template matched the label file: the Word report holds no results.";

// Bookmark names of the Word template: entries 3k, 3k+1 and 3k+2 receive the heading, date
// and result of record k.
using LabelTable = std::array<std::string, 150>;

// Everything one run of the report needs. The Word fields matter only for Word output; the
// text path only for text output; the PDF writer and the facts for its header only for PDF.
struct ReportJob {
    std::span<const std::uint8_t> image; // the report reply's payload as received
    std::uint8_t handshakeValue = 7;
    ReportOutput output = ReportOutput::Word;
    std::filesystem::path textReportPath;
    std::filesystem::path templatePath;
    const LabelTable* labels = nullptr;
    WordReportWriter* wordWriter = nullptr;
    PdfReportWriter* pdfWriter = nullptr;
    ReportFacts facts;
};

// Walks the image, formats every present test into `texts` and writes the chosen report,
// telling the user through `messages` what happened. Word output without a writer or a label
// table, PDF output without a writer, are programming errors (std::invalid_argument).
WriteReportResult WriteReport(const ReportJob& job, RecordTexts& texts, MessageSink& messages);

} // namespace varne
