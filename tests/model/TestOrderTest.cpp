#include "report/model/TestOrder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace varne {
namespace {

TestRecord at(std::string date, std::optional<TestTime> time) {
    TestRecord r;
    r.date = std::move(date);
    r.testedAt = time;
    return r;
}

TEST(TestOrder, NewestFirstAndUndatedLast) {
    std::vector<TestRecord> records{
        at("undated 1", std::nullopt),
        at("2024-05-14 08:14:05", TestTime{2024, 5, 14, 8, 14, 5}),
        at("2025-01-01 00:00:00", TestTime{2025, 1, 1, 0, 0, 0}),
        at("undated 2", std::nullopt),
        at("2024-05-14 08:14:06", TestTime{2024, 5, 14, 8, 14, 6}),
        at("2024-12-01 00:00:00", TestTime{2024, 12, 1, 0, 0, 0}),
        at("2024-05-15 00:00:00", TestTime{2024, 5, 15, 0, 0, 0}),
    };
    std::stable_sort(records.begin(), records.end(), NewestTestFirst);
    std::vector<std::string> order;
    for (const TestRecord& r : records) {
        order.push_back(r.date);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"2025-01-01 00:00:00", "2024-12-01 00:00:00",
                                               "2024-05-15 00:00:00", "2024-05-14 08:14:06",
                                               "2024-05-14 08:14:05", "undated 1", "undated 2"}));
    EXPECT_FALSE(NewestTestFirst(records[5], records[6]));
    EXPECT_FALSE(NewestTestFirst(records[6], records[5]));
    EXPECT_FALSE(NewestTestFirst(records[0], records[0]));
}

} // namespace
} // namespace varne
