#include "report/TestCatalogue.h"

#include <optional>

namespace varne {

namespace {

std::string unknownName(int code) {
    return "Unknown (" + std::to_string(code) + ")";
}

std::optional<std::size_t> autoTestChannelIndex(int code) {
    if (code < kFirstAutoTestChannel ||
        code >= kFirstAutoTestChannel + static_cast<int>(AutoTestChannelNames.size())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(code - kFirstAutoTestChannel);
}

} // namespace

std::string catalogueName(std::span<const std::string_view> table, int code) {
    if (code >= 0 && static_cast<std::size_t>(code) < table.size()) {
        return std::string(table[static_cast<std::size_t>(code)]);
    }
    return unknownName(code);
}

std::string autoTestChannelName(int code) {
    const auto index = autoTestChannelIndex(code);
    return index ? std::string(AutoTestChannelNames[*index]) : unknownName(code);
}

std::string_view autoTestChannelUnit(int code) {
    const auto index = autoTestChannelIndex(code);
    return index ? AutoTestChannelUnits[*index] : std::string_view{};
}

} // namespace varne
