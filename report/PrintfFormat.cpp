#include "report/PrintfFormat.h"

#include "base/CNumberConventions.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace varne {

namespace {

void appendV(std::string& out, const char* format, std::va_list args) {
    const CNumberScope cNumbers; // "0.405", never "0,405"
    std::array<char, 256> buffer{};
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    if (length > 0 && static_cast<std::size_t>(length) < buffer.size()) {
        out.append(buffer.data(), static_cast<std::size_t>(length));
    } else if (length > 0) {
        // Only huge numbers get here: %f prints every integer digit of a float up to 3.4e38.
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, again);
        out.resize(start + static_cast<std::size_t>(length));
    }
    va_end(again);
}

} // namespace

void appendPrintf(std::string& out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    appendV(out, format, args);
    va_end(args);
}

std::string formatPrintf(const char* format, ...) {
    std::string out;
    std::va_list args;
    va_start(args, format);
    appendV(out, format, args);
    va_end(args);
    return out;
}

} // namespace varne
