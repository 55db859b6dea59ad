#include "report/WordText.h"

#include <gtest/gtest.h>
#include <vector>

namespace varne {
namespace {

TEST(WordTextTest, EightBitTextBecomesUtf8ThatXmlCanHold) {
    struct Case {
        std::string report;
        std::string word;
    };
    const std::vector<Case> cases = {
        {"Angle: 30.0\xA1\xE3", "Angle: 30.0\u00B0"},
        {"\xA1\xE3\xA1\xE3", "\u00B0\u00B0"},
        {"\xA1", "\u00A1"},
        {"\xA1"
         "A",
         "\u00A1"
         "A"},
        {"5\xB5s \xE9t\xE9", "5\u00B5s \u00E9t\u00E9"},
        {"\x80 \x96 \x81\x8D\x8F\x90\x9D", "\u20AC \u2013 "},
        {"a\x01\x1F\x7F\rb", "ab"},
        {"line 1\nline 2\tx", "line 1\nline 2\tx"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordTextFromReportText(c.report), c.word) << c.report;
    }
}

// Labels that are UTF-8 stay; anything else is an 8-bit text.
TEST(WordTextTest, LabelsStayWhenUtf8AndAreConvertedOtherwise) {
    struct Case {
        const char* label;
        const char* word;
    };
    const std::vector<Case> cases{
        {"Heading1", "Heading1"},
        {"\xC3\x9C"
         "berschrift \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\u00DC"
         "berschrift \u20AC \U0001F600"},
        {"\xDC"
         "berschrift",
         "\u00DC"
         "berschrift"},
        {"\xC0\xAF", "\u00C0\u00AF"},               // overlong
        {"\xED\xA0\x80", "\u00ED\u00A0\u20AC"},     // a surrogate
        {"\xF4\x90\x80\x80", "\u00F4\u20AC\u20AC"}, // past U+10FFFF (0x90: none in 1252)
        {"a\xC3", "a\u00C3"},                       // cut short
        {"\xA1\xE3", "\u00B0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordTextFromLabel(c.label), c.word) << c.label;
    }
}

} // namespace
} // namespace varne
