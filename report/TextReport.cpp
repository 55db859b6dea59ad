#include "report/TextReport.h"

#include "report/AtomicFile.h"

#include <algorithm>
#include <string_view>

namespace varne {

namespace {

constexpr std::string_view kHeader =
    "---------------------Varne Series Relay Tester Test Report--------------------\n";
constexpr std::string_view kSeparator =
    "-------------------------------------------------------------------\n";

void appendWithCrLf(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
}

} // namespace

std::string composeTextReport(const RecordTexts& texts) {
    std::string out;
    out.reserve(256 * (texts.m_nRecordCount + 1));
    appendWithCrLf(out, kHeader);
    appendWithCrLf(out, kSeparator);
    const std::size_t count = std::min(texts.m_nRecordCount, texts.m_strHeading.size());
    for (std::size_t k = 0; k < count; ++k) {
        appendWithCrLf(out, texts.m_strHeading[k]);
        appendWithCrLf(out, "\n");
        appendWithCrLf(out, texts.m_strDate[k]);
        appendWithCrLf(out, "\n");
        appendWithCrLf(out, texts.m_strResult[k]);
        appendWithCrLf(out, "\n");
        appendWithCrLf(out, kSeparator);
    }
    return out;
}

bool writeTextReport(const std::filesystem::path& path, const RecordTexts& texts,
                     std::string& error) {
    const std::string bytes = composeTextReport(texts);
    return writeFileAtomically(path, bytes, error);
}

} // namespace varne
