#include "report/RecordTexts.h"

#include "report/PrintfFormat.h"
#include "report/ResultFormatter.h"

namespace varne {

std::string dateText(const DirectoryEntry& e) {
    return formatPrintf("20%02d-%02d-%02d %02d:%02d:%02d", e.year, e.month, e.day, e.hour, e.minute,
                        e.second);
}

void collectRecordTexts(const ReportImage& image, std::uint8_t handshakeValue, RecordTexts& texts) {
    texts.m_nRecordCount = 0;
    const CResultFormatter formatter(image, handshakeValue);
    for (std::size_t i = 0; i < ReportImage::kEntryCount; ++i) {
        if (!image.isPresent(i)) {
            continue;
        }
        const DirectoryEntry entry = image.entry(i);
        const std::size_t k = texts.m_nRecordCount;
        formatter.FormatRecord(entry.testType, entry.subType, entry.option, i,
                               texts.m_strHeading[k], texts.m_strResult[k]);
        texts.m_strDate[k] = dateText(entry);
        ++texts.m_nRecordCount;
    }
}

} // namespace varne
