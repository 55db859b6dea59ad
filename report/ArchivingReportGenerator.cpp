#include "report/ArchivingReportGenerator.h"

#include "base/MessageSink.h"
#include "link/SharedState.h"
#include "report/RawImageArchive.h"

#include <QDateTime>

namespace varne {

void ArchivingReportGenerator::WriteReport() {
    const auto payload = s_.shared.reportImage.bytes();
    const auto handshake = static_cast<std::uint8_t>(s_.shared.handshakeValue);

    RawImageRecord record;
    record.handshakeValue = handshake;
    record.port = s_.portName ? s_.portName() : std::string();
    record.localTime = QDateTime::currentDateTime();
    download_ = record;
    std::string error;
    archived_ = RawImageArchive(s_.archiveDirectory).store(payload, record, error);
    if (!archived_) {
        s_.messages.warning("the downloaded image could not be archived: " + error);
    }

    ReportJob job;
    job.image = payload;
    job.handshakeValue = handshake;
    job.output = s_.output ? s_.output() : ReportOutput::Text;
    job.textReportPath = s_.textReportPath;
    job.templatePath = s_.templatePath;
    job.labels = &s_.labels;
    job.wordWriter = job.output == ReportOutput::Word && s_.wordWriter ? s_.wordWriter() : nullptr;
    if (job.output == ReportOutput::Word && job.wordWriter == nullptr) {
        job.output = ReportOutput::Text;
    }
    if (job.output == ReportOutput::Pdf) {
        job.pdfWriter = pdfWriter_;
        job.facts = DownloadFacts(downloadTimeText(record.localTime), record.port, handshake);
        if (pdfWriter_ == nullptr) {
            job.output = ReportOutput::Text;
        }
    }
    lastResult_ = varne::WriteReport(job, texts_, s_.messages);
}

} // namespace varne
