// A report image of any bytes (up to 6000) and any handshake value through the image view, the
// result formatter, the record texts, the text report in memory and, for some inputs, the
// report driver writing a text report file.

#include "FuzzSupport.h"
#include "report/RecordTexts.h"
#include "report/ReportDriver.h"
#include "report/ReportImage.h"
#include "report/ResultFormatter.h"
#include "report/TextReport.h"
#include "report/model/TestRecordDecoder.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace varne::fuzz {
namespace {

constexpr std::size_t kMaxImageSize = 6000;

// Every reading of the view either succeeds or, when it reaches past the end of a short image,
// throws std::out_of_range. A short image may still hold all the bytes of its first entries.
void readEveryEntry(const ReportImage& image, std::uint8_t handshakeValue) {
    for (std::size_t i = 0; i < ReportImage::kEntryCount; ++i) {
        try {
            static_cast<void>(image.entry(i));
            static_cast<void>(image.value(i, 1 + static_cast<int>(i % 3)));
            const auto curve = image.curvePoints(i, handshakeValue);
            VARNE_FUZZ_CHECK(curve.count <= ExcitationCurve::kMaxPoints);
        } catch (const std::out_of_range&) {
            VARNE_FUZZ_CHECK(!image.isComplete());
        }
    }
}

// Each record formatted under test types taken from the input, whatever its directory says.
void formatUnderAnyType(const ReportImage& image, std::uint8_t handshakeValue,
                        std::span<const std::uint8_t> types) {
    const CResultFormatter formatter(image, handshakeValue);
    std::string heading;
    std::string result;
    for (std::size_t i = 0; i + 2 < types.size() && i < 3 * ReportImage::kEntryCount; i += 3) {
        formatter.FormatRecord(types[i], types[i + 1], types[i + 2], i / 3, heading, result);
        VARNE_FUZZ_CHECK(!heading.empty());
        std::string units[3];
        CResultFormatter::PickUnits(types[i], types[i + 1], types[i + 2], units[0], units[1],
                                    units[2]);
    }
}

} // namespace
} // namespace varne::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varne;
    using namespace varne::fuzz;
    if (size < 2) {
        return 0;
    }
    static ScratchDirectory scratch("varne-report-fuzz");
    const std::uint8_t handshakeValue = data[0];
    const bool writeFile = (data[1] & 1) != 0;
    const std::span<const std::uint8_t> bytes(data + 2, std::min(size - 2, kMaxImageSize));
    const ReportImage image(bytes);

    readEveryEntry(image, handshakeValue);
    if (!image.isComplete()) {
        return 0;
    }
    // The tail after the layout stands in for test types, so the formatter sees every type.
    formatUnderAnyType(image, handshakeValue, bytes.subspan(ReportImage::kLayoutSize));

    RecordTexts texts;
    collectRecordTexts(image, handshakeValue, texts);
    VARNE_FUZZ_CHECK(texts.m_nRecordCount <= ReportImage::kEntryCount);
    const std::string report = composeTextReport(texts);
    VARNE_FUZZ_CHECK(!report.empty());

    // The typed records agree with the report's texts, one for each record of the report.
    const std::vector<TestRecord> records = DecodeTestRecords(image, handshakeValue);
    VARNE_FUZZ_CHECK(records.size() == texts.m_nRecordCount);
    for (std::size_t k = 0; k < records.size(); ++k) {
        VARNE_FUZZ_CHECK(records[k].date == texts.m_strDate[k]);
        VARNE_FUZZ_CHECK(records[k].identityBytes.size() >= 22);
    }

    if (writeFile) {
        ReportJob job;
        job.image = bytes;
        job.handshakeValue = handshakeValue;
        job.output = ReportOutput::Text;
        job.textReportPath = scratch.path() / "Varne_Report.txt";
        RecordTexts written;
        CheckingMessageSink messages;
        const auto outcome = WriteReport(job, written, messages);
        VARNE_FUZZ_CHECK(messages.count == 1);
        VARNE_FUZZ_CHECK(outcome == WriteReportResult::Written ||
                         (outcome == WriteReportResult::NoRecord && texts.m_nRecordCount == 0));
    }
    return 0;
}
