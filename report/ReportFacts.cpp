#include "report/ReportFacts.h"

namespace varne {

ReportFacts DownloadFacts(const std::string& time, const std::string& port,
                          std::uint8_t handshakeValue) {
    return {{"Downloaded", time},
            {"Port", port.empty() ? "unknown" : port},
            {"Handshake value", std::to_string(handshakeValue)}};
}

ReportFacts SavedImageFacts(const std::string& fileName, std::uint8_t handshakeValue) {
    return {{"Report image", fileName}, {"Handshake value", std::to_string(handshakeValue)}};
}

ReportFacts ExportFacts(const std::string& filters, std::size_t recordCount) {
    return {{"Filters", filters.empty() ? "none (every record)" : filters},
            {"Records", std::to_string(recordCount)}};
}

} // namespace varne
