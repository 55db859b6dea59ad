#pragma once

#include "report/model/TestRecord.h"

#include <string>
#include <vector>

namespace varne {

// A test as the exports write it: the record, its fingerprint and the ISO 8601 times of the
// downloads that held it, oldest first.
struct ExportedRecord {
    TestRecord record;
    std::string fingerprint;
    std::vector<std::string> downloads;
};

} // namespace varne
