#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varne {

// One line of a report's header: where its records come from.
struct ReportFact {
    std::string label;
    std::string value;
};
using ReportFacts = std::vector<ReportFact>;

// A download: its local time, the port and the handshake value the tester sent.
ReportFacts DownloadFacts(const std::string& time, const std::string& port,
                          std::uint8_t handshakeValue);
// A saved image without a record of its download: its file name and the handshake value used.
ReportFacts SavedImageFacts(const std::string& fileName, std::uint8_t handshakeValue);
// Records chosen from the library: the filters and how many records they select.
ReportFacts ExportFacts(const std::string& filters, std::size_t recordCount);

} // namespace varne
