#pragma once

#include "export/ExportedRecord.h"

#include <ostream>
#include <span>

namespace varne {

// Writes records as a JSON array, one object per line, while they come:
//   {"fingerprint", "type", "subtype", "option", "kind", "subkind", "tested_at" (ISO 8601 or
//    null), "heading", "date", "result" (the report's lines joined by "\n"),
//    "quantities": [{"name", "value" (null when NaN or infinite), "unit"}],
//    "curve": [{"current_a", "voltage_v"}], "knee_point": {"voltage_v", "current_a"} (after
//    IEC 61869-2, between the measured points) or null, "downloads": [ISO 8601 times, oldest
//    first]}
// Strings are written as valid UTF-8; numbers in the C conventions, with the fewest digits that
// read back to the stored value. The array is closed by finish(); a writer never finished leaves
// it open.
class JsonExportWriter {
public:
    explicit JsonExportWriter(std::ostream& out);

    void write(const ExportedRecord& record);
    void finish();

private:
    std::ostream& out_;
    bool first_ = true;
    bool finished_ = false;
};

void WriteJsonExport(std::ostream& out, std::span<const ExportedRecord> records);

} // namespace varne
