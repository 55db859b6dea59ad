#include "report/ReportDriver.h"

#include "base/MessageSink.h"
#include "report/PdfReportWriter.h"
#include "report/ReportImage.h"
#include "report/TextReport.h"
#include "report/WordReportWriter.h"
#include "report/model/TestRecordDecoder.h"

#include <stdexcept>
#include <system_error>

namespace varne {

namespace {

WriteReportResult fillWordReport(const ReportJob& job, const RecordTexts& texts,
                                 MessageSink& messages) {
    if (job.wordWriter == nullptr || job.labels == nullptr) {
        throw std::invalid_argument("a Word report needs a Word writer and a label table");
    }
    WordReportWriter& word = *job.wordWriter;
    const LabelTable& labels = *job.labels;
    word.SetTemplatePath(job.templatePath);
    const bool opened = word.OpenDocument() != 0;
    // The writer has reported a failed open itself; the fills then do nothing.
    std::size_t filled = 0;
    for (std::size_t k = 0; k < texts.m_nRecordCount; ++k) {
        filled += word.FillLabel(labels[3 * k], texts.m_strHeading[k]) ? 1 : 0;
        filled += word.FillLabel(labels[3 * k + 1], texts.m_strDate[k]) ? 1 : 0;
        filled += word.FillLabel(labels[3 * k + 2], texts.m_strResult[k]) ? 1 : 0;
    }
    // The writer reports a failed save itself, and a saved report with "Save Success!!!".
    const bool saved = word.ShowDocument();
    if (!opened || !saved) {
        return WriteReportResult::CannotWrite;
    }
    if (filled == 0) {
        messages.error(kWordReportWithoutResults);
        return WriteReportResult::WordWithoutResults;
    }
    return WriteReportResult::Written;
}

WriteReportResult writePdf(const ReportJob& job, const ReportImage& image) {
    if (job.pdfWriter == nullptr) {
        throw std::invalid_argument("a PDF report needs a PDF writer");
    }
    const std::vector<TestRecord> records = DecodeTestRecords(image, job.handshakeValue);
    return job.pdfWriter->WritePdfReport(records, job.facts) ? WriteReportResult::Written
                                                             : WriteReportResult::CannotWrite;
}

WriteReportResult writeText(const ReportJob& job, const RecordTexts& texts, MessageSink& messages) {
    std::string error;
    if (!writeTextReport(job.textReportPath, texts, error)) {
        messages.error(error);
        return WriteReportResult::CannotWrite;
    }
    std::error_code ec;
    std::filesystem::path fullPath = std::filesystem::absolute(job.textReportPath, ec);
    if (ec) {
        fullPath = job.textReportPath;
    }
    messages.information("Save Success!!!", "Txt report save as " + fullPath.string());
    return WriteReportResult::Written;
}

} // namespace

WriteReportResult WriteReport(const ReportJob& job, RecordTexts& texts, MessageSink& messages) {
    texts.m_nRecordCount = 0;
    const ReportImage image(job.image);
    if (!image.isComplete()) {
        messages.error("report image is incomplete: " + std::to_string(image.size()) + " of " +
                       std::to_string(ReportImage::kLayoutSize) + " bytes");
        return WriteReportResult::ImageIncomplete;
    }
    collectRecordTexts(image, job.handshakeValue, texts);
    if (texts.m_nRecordCount == 0) {
        messages.warning("Report is not found in the tester!!!");
        return WriteReportResult::NoRecord;
    }
    switch (job.output) {
    case ReportOutput::Word:
        return fillWordReport(job, texts, messages);
    case ReportOutput::Text:
        return writeText(job, texts, messages);
    case ReportOutput::Pdf:
        return writePdf(job, image);
    }
    return WriteReportResult::CannotWrite;
}

} // namespace varne
