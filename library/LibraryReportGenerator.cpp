#include "library/LibraryReportGenerator.h"

#include "base/MessageSink.h"
#include "library/LibraryError.h"
#include "library/SavedDownload.h"
#include "link/SharedState.h"
#include "report/ArchivingReportGenerator.h"

namespace varne::library {

void LibraryReportGenerator::WriteReport() {
    s_.report.WriteReport();
    if (s_.report.lastResult() != WriteReportResult::Written) {
        return; // a download that failed adds nothing
    }
    const auto payload = s_.shared.reportImage.bytes();
    const RawImageRecord& download = s_.report.lastDownload();
    const auto& archived = s_.report.lastArchivedImage();
    const std::string kept = archived ? " The raw download is kept in " + archived->string() +
                                            "; varne import adds it to the library later."
                                      : std::string();

    std::string error;
    const auto location = s_.location(error);
    if (!location) {
        s_.messages.warning(
            "The report is written, but the record library is not updated: " + error + "." + kept);
        return;
    }
    try {
        const auto tests = TestsOfPayload(payload, download.handshakeValue);
        if (!tests) {
            return;
        }
        RecordLibrary library(*location, RecordLibrary::Access::Write);
        const AddResult result = library.addDownload(
            DescribeDownload(payload, download.localTime, download.port, download.handshakeValue,
                             archived ? archived->string() : std::string()),
            *tests);
        if (s_.added) {
            s_.added(result);
        }
    } catch (const LibraryError& e) {
        s_.messages.warning("The report is written, but the record library is not updated: " +
                            std::string(e.what()) + "." + kept);
    }
}

} // namespace varne::library
