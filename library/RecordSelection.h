#pragma once

#include "export/ExportedRecord.h"

#include <QDate>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace varne::library {

class RecordLibrary;

// Which records a query wants: the options history and every export share.
struct RecordFilter {
    std::optional<QDate> since; // first day of the test time, inclusive
    std::optional<QDate> until; // last day of the test time, inclusive
    std::string kind;           // a part of the heading, case ignored; empty: any
    bool onlyNew = false;       // the records that the latest download added
    std::optional<std::size_t> limit;
};

// A test as the library holds it: the record (without slot and identity bytes), its
// fingerprint and the local ISO 8601 times of the downloads that held it, oldest first.
using LibraryRecord = ExportedRecord;

enum class RecordDetail {
    Summary, // codes, names, test time and texts
    Full,    // and quantities, curve points and downloads
};

// The records the filter selects, the newest test first, the undated after the dated (the most
// recently added first among them). Throws LibraryError when the library cannot be read.
std::vector<LibraryRecord> SelectRecords(RecordLibrary& library, const RecordFilter& filter,
                                         RecordDetail detail);

// The case-folded text that --kind compares.
std::string FoldCase(const std::string& text);

} // namespace varne::library
