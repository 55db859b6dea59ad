#include "base/CNumberConventions.h"

#include <clocale>
#include <locale.h>

namespace varne {

namespace {

locale_t cLocale() {
    // Made once and kept for the life of the program; "C" always exists.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

} // namespace

void KeepCNumberConventions() {
    std::setlocale(LC_NUMERIC, "C");
}

CNumberScope::CNumberScope() : previous_(nullptr) {
    if (const locale_t c = cLocale(); c != nullptr) {
        previous_ = uselocale(c);
    }
}

CNumberScope::~CNumberScope() {
    if (previous_ != nullptr) {
        uselocale(static_cast<locale_t>(previous_));
    }
}

} // namespace varne
