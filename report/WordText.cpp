#include "report/WordText.h"

#include <array>
#include <cstdint>

namespace varne {

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where the code page defines none.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

char32_t codePointOf(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kWindows1252High[byte - 0x80u];
    }
    const bool control = byte < 0x20 || byte == 0x7F;
    if (control && byte != '\n' && byte != '\t') {
        return 0;
    }
    return byte;
}

} // namespace

std::string WordTextFromReportText(std::string_view reportText) {
    std::string out;
    out.reserve(reportText.size());
    for (std::size_t i = 0; i < reportText.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(reportText[i]);
        if (byte == 0xA1 && i + 1 < reportText.size() &&
            static_cast<std::uint8_t>(reportText[i + 1]) == 0xE3) {
            appendUtf8(out, U'\u00B0');
            ++i;
            continue;
        }
        if (const char32_t codePoint = codePointOf(byte); codePoint != 0) {
            appendUtf8(out, codePoint);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        std::size_t length = 0;
        char32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string WordTextFromLabel(std::string_view label) {
    return IsValidUtf8(label) ? std::string(label) : WordTextFromReportText(label);
}

} // namespace varne
