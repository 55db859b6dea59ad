#pragma once

#include "export/ExportedRecord.h"

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace varne {

// Writes records as CSV (RFC 4180, UTF-8, CRLF at the end of every row) while they come: a header
// row, then one row per record with fingerprint, tested_at (ISO 8601, empty when the test has
// no time), kind, subkind, heading (its lines joined by a blank), result (its lines joined by
// " / "), first_download and last_download.
class CsvExportWriter {
public:
    explicit CsvExportWriter(std::ostream& out);

    void write(const ExportedRecord& record);

private:
    std::ostream& out_;
};

void WriteCsvExport(std::ostream& out, std::span<const ExportedRecord> records);

// One field as RFC 4180 writes it: quoted, its quotes doubled, when it holds a comma, a quote,
// CR or LF (or starts or ends with a blank, which some readers would trim); as it is otherwise.
std::string CsvField(std::string_view text);

} // namespace varne
