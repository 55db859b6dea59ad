#include "export/HistoryLine.h"

#include "export/ExportText.h"

namespace varne {

std::string HistoryLine(const TestRecord& record) {
    std::string line = JoinReportLines(record.date, " ");
    line += " | ";
    line += JoinReportLines(record.heading, " ");
    const std::string result = JoinReportLines(record.result, " / ");
    if (!result.empty()) {
        line += " | ";
        line += result;
    }
    return ValidUtf8(line);
}

} // namespace varne
