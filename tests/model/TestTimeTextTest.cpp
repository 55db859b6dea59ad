#include "report/model/TestTimeText.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace varne {
namespace {

TEST(TestTimeText, IsoTextAndBack) {
    const TestTime t{2024, 5, 14, 8, 4, 9};
    EXPECT_EQ(IsoTestTime(t), "2024-05-14T08:04:09");
    EXPECT_EQ(ParseIsoTestTime("2024-05-14T08:04:09"), t);
    EXPECT_EQ(ParseIsoTestTime("2024-02-29T23:59:59"), (TestTime{2024, 2, 29, 23, 59, 59}));

    const std::vector<std::string> refused{
        "",
        "2024-05-14 08:04:09",
        "2024-05-14T08:04:09Z",
        "2024-05-14T08:04",
        "2024-5-14T08:04:09 ",
        "2023-02-29T12:00:00",
        "2024-13-01T00:00:00",
        "2024-00-10T00:00:00",
        "2024-04-31T00:00:00",
        "2024-05-14T24:00:00",
        "2024-05-14T23:60:00",
        "2024-05-14T23:59:60",
        "2024-05-1xT08:04:09",
        "+024-05-14T08:04:09",
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(ParseIsoTestTime(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace varne
