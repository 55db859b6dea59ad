#include "report/ReportImage.h"

#include "report/RecordTexts.h"
#include "report/ReportImageBuilder.h"
#include "report/SaturatingCast.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace varne {
namespace {

TEST(ReportImage, RecordsStartOnTheirBlockBoundaries) {
    const std::vector<std::pair<std::size_t, std::size_t>> offsets{
        {0, 512}, {5, 752}, {9, 944}, {10, 1024}, {17, 1360}, {29, 1968}};
    for (const auto& [index, offset] : offsets) {
        EXPECT_EQ(ReportImage::recordOffset(index), offset) << "entry " << index;
        EXPECT_EQ(ReportImage::extensionOffset(index), offset + 1536) << "entry " << index;
    }
    EXPECT_EQ(ReportImage::extensionOffset(29), 3504u);
}

TEST(ReportImage, ReadsLittleEndianValuesOfTheEntrysOwnRecord) {
    ReportImageBuilder builder;
    builder.entry(5, {}).floatAt(752, 1.5f).floatAt(756, -2.0f).floatAt(760, 1e30f);
    // 10.0f written byte by byte at entry 10's record, which is not at 992.
    builder.byteAt(1024, 0x00).byteAt(1025, 0x00).byteAt(1026, 0x20).byteAt(1027, 0x41);
    const ReportImage image(builder.image());

    EXPECT_EQ(image.value(5, 1), 1.5f);
    EXPECT_EQ(image.value(5, 2), -2.0f);
    EXPECT_EQ(image.value(5, 3), 1e30f);
    EXPECT_EQ(image.value(10, 1), 10.0f);
    EXPECT_THROW(static_cast<void>(image.value(5, 0)), std::out_of_range);
    EXPECT_THROW(static_cast<void>(image.value(5, 4)), std::out_of_range);
}

TEST(ReportImage, OnlyMarkerAACountsAsPresent) {
    ReportImageBuilder builder;
    const std::array<std::pair<std::uint8_t, bool>, 4> markers{
        {{0xAA, true}, {0xAB, false}, {0x00, false}, {0xFF, false}}};
    for (std::size_t i = 0; i < markers.size(); ++i) {
        builder.marker(i, markers[i].first);
    }
    const ReportImage image(builder.image());
    for (std::size_t i = 0; i < markers.size(); ++i) {
        EXPECT_EQ(image.isPresent(i), markers[i].second) << "marker " << int{markers[i].first};
    }
    EXPECT_THROW(static_cast<void>(image.isPresent(30)), std::out_of_range);
}

TEST(ReportImage, DateBytesAreBinaryNotBcd) {
    ReportImageBuilder builder;
    builder.entry(0, {21, 3, 9, 14, 7, 30, 8, 4, 1}).entry(1, {5, 0x12, 31, 23, 59, 0});
    const ReportImage image(builder.image());

    const DirectoryEntry e = image.entry(0);
    EXPECT_EQ(e.marker, 0xAA);
    EXPECT_EQ(e.testType, 8);
    EXPECT_EQ(e.subType, 4);
    EXPECT_EQ(e.option, 1);
    EXPECT_EQ(dateText(e), "2021-03-09 14:07:30");
    EXPECT_EQ(dateText(image.entry(1)), "2005-18-31 23:59:00");
}

std::vector<std::pair<float, float>> tenPoints() {
    std::vector<std::pair<float, float>> points;
    for (int p = 1; p <= 10; ++p) {
        points.emplace_back(static_cast<float>(p), static_cast<float>(100 * p));
    }
    return points;
}

TEST(ReportImage, CurvePointCountDependsOnTheHandshakeValue) {
    struct Case {
        std::uint8_t handshake;
        std::int8_t pointCount;
        std::size_t points;
        bool fromPointCount;
    };
    const std::vector<Case> cases{
        {6, 9, 6, false},    {7, 9, 9, true},   {127, 9, 9, true},  {0x80, 9, 6, false},
        {0xFF, 9, 6, false}, {7, -1, 0, true},  {7, 0, 0, true},    {7, 3, 3, true},
        {7, 10, 10, true},   {7, 11, 10, true}, {7, 127, 10, true}, {7, -128, 0, true},
    };
    const auto points = tenPoints();
    for (const Case& c : cases) {
        ReportImageBuilder builder;
        builder.entry(29, {0, 1, 1, 0, 0, 0, 5, 3}).curve(29, points, c.pointCount);
        const ExcitationCurve curve = ReportImage(builder.image()).curvePoints(29, c.handshake);
        SCOPED_TRACE(testing::Message()
                     << "handshake " << int{c.handshake} << ", count " << int{c.pointCount});
        EXPECT_EQ(curve.count, c.points);
        EXPECT_EQ(curve.fromPointCount, c.fromPointCount);
        for (std::size_t p = 0; p < curve.count; ++p) {
            EXPECT_EQ(curve.points[p].current, points[p].first);
            EXPECT_EQ(curve.points[p].voltage, points[p].second);
        }
    }
}

TEST(ReportImage, ShortImageIsIncompleteAndNeverReadPastItsEnd) {
    ReportImageBuilder builder;
    builder.entry(29, {}).values(29, 1, 2, 3);
    const std::vector<std::uint8_t> bytes = builder.image();

    EXPECT_TRUE(ReportImage(bytes).isComplete());
    EXPECT_TRUE(ReportImage{std::span(bytes).first(3584)}.isComplete());
    EXPECT_FALSE(ReportImage{std::span(bytes).first(3583)}.isComplete());

    // Entry 29's extension record starts at 3504.
    const ReportImage shortImage{std::span(bytes).first(3500)};
    EXPECT_TRUE(shortImage.isPresent(29));
    EXPECT_EQ(shortImage.value(29, 3), 3.0f);
    EXPECT_THROW(static_cast<void>(shortImage.curvePoints(29, 7)), std::out_of_range);

    const ReportImage empty(std::span<const std::uint8_t>{});
    EXPECT_FALSE(empty.isComplete());
    EXPECT_THROW(static_cast<void>(empty.isPresent(0)), std::out_of_range);
}

TEST(TruncateToInt, IsDefinedForEveryDouble) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const std::vector<std::pair<double, int>> cases{
        {1.9, 1},
        {-1.9, -1},
        {2147483647.9, kMax},
        {2147483648.0, kMax},
        {1e300, kMax},
        {std::numeric_limits<double>::infinity(), kMax},
        {-2147483648.9, kMin},
        {-2147483649.0, kMin},
        {-std::numeric_limits<double>::infinity(), kMin},
        {std::nan(""), 0},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(truncateToInt(value), expected) << value;
    }
}

} // namespace
} // namespace varne
