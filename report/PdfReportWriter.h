#pragma once

#include "report/ReportFacts.h"
#include "report/model/TestRecord.h"

#include <span>

namespace varne {

// Writes a PDF report of typed records under a header of facts. It tells the user itself
// where the report went or why it could not be saved.
class PdfReportWriter {
public:
    virtual ~PdfReportWriter() = default;
    // False when no PDF was saved.
    virtual bool WritePdfReport(std::span<const TestRecord> records, const ReportFacts& facts) = 0;
};

} // namespace varne
