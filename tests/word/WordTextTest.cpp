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

} // namespace
} // namespace varne
