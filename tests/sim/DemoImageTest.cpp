#include "sim/DemoImage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace varne {
namespace {

// Read straight from the bytes, the way the tester lays them out: entry i at 10*i, marker
// 0xAA, date and time at +1..+6, codes at +7..+9.
struct Entry {
    std::size_t index;
    const std::uint8_t* bytes;
    int testType() const { return bytes[7]; }
    int subType() const { return bytes[8]; }
    int option() const { return bytes[9]; }
};

std::vector<Entry> presentEntries(const std::vector<std::uint8_t>& image) {
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < 30; ++i) {
        if (image[10 * i] == 0xAA) {
            entries.push_back({i, &image[10 * i]});
        }
    }
    return entries;
}

TEST(DemoImage, HoldsEveryTestTypeAndSubtypeOnOneWorkingDay) {
    const std::vector<std::uint8_t> image = demoReportImage();
    ASSERT_EQ(image.size(), 5120U);
    const std::vector<Entry> entries = presentEntries(image);

    std::set<std::pair<int, int>> kinds;
    for (const Entry& e : entries) {
        kinds.insert({e.testType(), e.subType()});
    }
    const std::set<std::pair<int, int>> wanted{
        {0, 0},  {0, 1},  {0, 2},  {0, 3}, {0, 4}, {0, 5}, {0, 6}, // Pick Up channels
        {2, 0},                                                    // Trip Time
        {4, 0},  {4, 1},                                           // Timer, both modes
        {5, 0},  {5, 1},  {5, 2},  {5, 3},                         // CT tests
        {8, 0},  {8, 1},  {8, 2},  {8, 3}, {8, 4}, {8, 5},         // Advanced
        {10, 1}, {10, 2}, {10, 3},                                 // Auto Test ramps
        {12, 0},                                                   // Trip time+Pulse length
    };
    for (const auto& kind : wanted) {
        EXPECT_TRUE(kinds.contains(kind)) << kind.first << "/" << kind.second;
    }

    const auto has = [&](int type, int sub, int option) {
        return std::ranges::any_of(entries, [&](const Entry& e) {
            return e.testType() == type && e.subType() == sub && e.option() == option;
        });
    };
    EXPECT_TRUE(has(0, 1, 3)) << "a Pick Up with boundaries and angle";
    EXPECT_TRUE(has(8, 4, 1)) << "a Recloseing with its AccTrip time";

    // One day, times rising in directory order, an empty entry between present ones.
    for (std::size_t k = 1; k < entries.size(); ++k) {
        EXPECT_EQ(std::memcmp(entries[k].bytes + 1, entries[0].bytes + 1, 3), 0);
        EXPECT_LT(std::memcmp(entries[k - 1].bytes + 4, entries[k].bytes + 4, 3), 0);
    }
    EXPECT_GT(entries.back().index - entries.front().index + 1, entries.size());
}

TEST(DemoImage, ExcitationCurveCarriesEightPointsWithTheLastTwoInTheExtension) {
    const std::vector<std::uint8_t> image = demoReportImage();
    const std::vector<Entry> entries = presentEntries(image);
    const auto curve = std::ranges::find_if(
        entries, [](const Entry& e) { return e.testType() == 5 && e.subType() == 3; });
    ASSERT_NE(curve, entries.end());
    const std::size_t record = 512 * (curve->index / 10 + 1) + 48 * (curve->index % 10);
    const std::size_t extension = record + 1536;
    EXPECT_EQ(image[extension + 32], 8);

    const auto floatAt = [&](std::size_t offset) {
        std::uint32_t bits = 0;
        for (std::size_t b = 0; b < 4; ++b) {
            bits |= static_cast<std::uint32_t>(image[offset + b]) << (8 * b);
        }
        return std::bit_cast<float>(bits);
    };
    // Current and voltage rise from point to point: points 1..6 in the record, 7 and 8 in the
    // extension record.
    std::vector<std::size_t> points;
    for (std::size_t p = 0; p < 6; ++p) {
        points.push_back(record + 8 * p);
    }
    points.push_back(extension);
    points.push_back(extension + 8);
    for (std::size_t p = 1; p < points.size(); ++p) {
        EXPECT_GT(floatAt(points[p]), floatAt(points[p - 1]));
        EXPECT_GT(floatAt(points[p] + 4), floatAt(points[p - 1] + 4));
    }
}

} // namespace
} // namespace varne
