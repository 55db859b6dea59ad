#include "export/CsvExport.h"

#include "export/ExportText.h"
#include "report/model/TestTimeText.h"

namespace varne {

namespace {

constexpr std::string_view kHeader =
    "fingerprint,tested_at,kind,subkind,heading,result,first_download,last_download\r\n";

} // namespace

std::string CsvField(std::string_view text) {
    std::string field = ValidUtf8(text);
    const bool quoted = field.find_first_of(",\"\r\n") != std::string::npos ||
                        (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quoted) {
        return field;
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

CsvExportWriter::CsvExportWriter(std::ostream& out) : out_(out) {
    out_ << kHeader;
}

void CsvExportWriter::write(const ExportedRecord& exported) {
    const TestRecord& r = exported.record;
    const std::string none;
    const std::string fields[] = {
        exported.fingerprint,
        r.testedAt ? IsoTestTime(*r.testedAt) : none,
        r.kind,
        r.subkind,
        JoinReportLines(r.heading, " "),
        JoinReportLines(r.result, " / "),
        exported.downloads.empty() ? none : exported.downloads.front(),
        exported.downloads.empty() ? none : exported.downloads.back(),
    };
    std::string row;
    for (const std::string& field : fields) {
        if (!row.empty()) {
            row += ',';
        }
        row += CsvField(field);
    }
    row += "\r\n";
    out_.write(row.data(), static_cast<std::streamsize>(row.size()));
}

void WriteCsvExport(std::ostream& out, std::span<const ExportedRecord> records) {
    CsvExportWriter writer(out);
    for (const ExportedRecord& record : records) {
        writer.write(record);
    }
}

} // namespace varne
