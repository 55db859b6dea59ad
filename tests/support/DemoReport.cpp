#include "support/DemoReport.h"

#include "link/CheckByte.h"
#include "report/RecordTexts.h"
#include "report/ReportImage.h"
#include "report/TextReport.h"
#include "sim/DemoImage.h"

namespace varne::test {

std::vector<std::uint8_t> demoPayload() {
    std::vector<std::uint8_t> payload = demoReportImage();
    payload.push_back(checkByte(payload));
    return payload;
}

QByteArray expectedDemoTextReport() {
    const auto payload = demoPayload();
    RecordTexts texts;
    collectRecordTexts(ReportImage(payload), 7, texts);
    const std::string report = composeTextReport(texts);
    return QByteArray(report.data(), static_cast<qsizetype>(report.size()));
}

} // namespace varne::test
