#pragma once

#include "report/model/TestRecord.h"

namespace varne {

// Newest test first; records without a test time after every dated one. A strict weak order:
// records of the same time, and undated records, are equivalent (std::stable_sort keeps their
// order).
bool NewestTestFirst(const TestRecord& a, const TestRecord& b);

} // namespace varne
