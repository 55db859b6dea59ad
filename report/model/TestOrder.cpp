#include "report/model/TestOrder.h"

namespace varne {

bool NewestTestFirst(const TestRecord& a, const TestRecord& b) {
    if (!a.testedAt || !b.testedAt) {
        return a.testedAt.has_value() && !b.testedAt.has_value();
    }
    return *a.testedAt > *b.testedAt;
}

} // namespace varne
