#include "ui/SkinRegion.h"

#include "ui/SkinPainter.h"

#include <QFile>
#include <QPainter>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace varne {
namespace {

const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kPanel = qRgb(40, 50, 60);

// The outline the shipped skin must have: rows [first, last] hold the run [begin, end).
struct OutlineRows {
    int first;
    int last;
    int begin;
    int end;
};

const std::vector<OutlineRows> kShippedOutline = {
    {0, 2, 382, 400},   {3, 3, 14, 385},    {4, 4, 12, 387},     {5, 5, 10, 389},
    {6, 6, 8, 391},     {7, 7, 7, 392},     {8, 8, 6, 393},      {9, 10, 5, 394},
    {11, 12, 4, 395},   {13, 15, 3, 396},   {16, 383, 3, 397},   {384, 386, 3, 396},
    {387, 388, 4, 395}, {389, 390, 5, 394}, {391, 391, 6, 393},  {392, 392, 7, 392},
    {393, 393, 8, 391}, {394, 394, 9, 390}, {395, 395, 11, 388}, {396, 396, 14, 385},
};

std::vector<QRect> ExpectedShippedRuns() {
    std::vector<QRect> runs;
    for (const OutlineRows& rows : kShippedOutline) {
        for (int y = rows.first; y <= rows.last; ++y) {
            runs.emplace_back(rows.begin, y, rows.end - rows.begin, 1);
        }
    }
    return runs;
}

// One row per string: 'o' an opaque pixel, '.' the blue ground.
QImage ImageFromRows(const std::vector<std::string>& rows) {
    QImage image(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y,
                           rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == 'o'
                               ? kPanel
                               : kBlue);
        }
    }
    return image;
}

bool SameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

std::uint32_t LittleEndian32(const QByteArray& bytes, int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

TEST(SkinBitmap, IsA400By400UncompressedBottomUp24BitBmp) {
    QFile file(kSkinResourcePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(LittleEndian32(bytes, 2), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_EQ(LittleEndian32(bytes, 10), 54u);           // pixel data offset
    EXPECT_EQ(LittleEndian32(bytes, 14), 40u);           // info header size
    EXPECT_EQ(LittleEndian32(bytes, 18), 400u);          // width
    EXPECT_EQ(LittleEndian32(bytes, 22), 400u);          // height, positive: bottom-up
    EXPECT_EQ(LittleEndian32(bytes, 28) & 0xFFFFu, 24u); // bits per pixel
    EXPECT_EQ(LittleEndian32(bytes, 30), 0u);            // BI_RGB
    EXPECT_EQ(bytes.size(), 54 + 400 * 1200);
}

TEST(SkinBitmap, ShippedSkinHasTheOutlineRunsInOneBatch) {
    const QImage skin(kSkinResourcePath);
    ASSERT_FALSE(skin.isNull());
    const std::vector<QRect> runs = CollectSkinRuns(skin, kSkinKeyColour, kSkinTolerance);
    const std::vector<QRect> expected = ExpectedShippedRuns();
    ASSERT_EQ(expected.size(), 397u);
    EXPECT_EQ(runs, expected);
    EXPECT_LE(runs.size(), kSkinRegionBatch);

    long long opaque = 0;
    for (const QRect& run : runs) {
        opaque += run.width();
    }
    EXPECT_EQ(400 * 400 - opaque, 4912);

    const std::optional<QRegion> region =
        SkinRegionFromResource(kSkinResourcePath, kSkinKeyColour, kSkinTolerance);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->boundingRect(), QRect(3, 0, 397, 397));
    EXPECT_TRUE(region->contains(QPoint(200, 200)));
    EXPECT_FALSE(region->contains(QPoint(0, 200)));
    EXPECT_FALSE(region->contains(QPoint(200, 398)));
}

TEST(SkinRegion, KeyAndToleranceCompareBlueGreenRedBytes) {
    struct Case {
        QRgb pixel;
        std::uint32_t key;
        std::uint32_t tolerance;
        bool cutOut;
    };
    const std::vector<Case> cases = {
        {qRgb(0, 0, 255), kSkinKeyColour, kSkinTolerance, true},
        {qRgb(16, 16, 255), kSkinKeyColour, kSkinTolerance, true},
        {qRgb(17, 0, 255), kSkinKeyColour, kSkinTolerance, false},
        {qRgb(0, 17, 255), kSkinKeyColour, kSkinTolerance, false},
        {qRgb(0, 0, 254), kSkinKeyColour, kSkinTolerance, false},
        {qRgb(255, 0, 0), kSkinKeyColour, kSkinTolerance, false},
        // Key byte plus tolerance byte above 255 is capped, not wrapped.
        {qRgb(0, 255, 255), 0x0000F8FFu, 0x00001010u, true},
        {qRgb(0, 247, 255), 0x0000F8FFu, 0x00001010u, false},
        // The top byte of key and tolerance plays no part.
        {qRgb(0, 0, 255), 0xFF0000FFu, 0x00000000u, true},
    };
    for (const Case& c : cases) {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, c.pixel);
        const std::vector<QRect> runs = CollectSkinRuns(image, c.key, c.tolerance);
        EXPECT_EQ(runs.empty(), c.cutOut)
            << "pixel " << qRed(c.pixel) << "," << qGreen(c.pixel) << "," << qBlue(c.pixel)
            << " key " << std::hex << c.key << " tolerance " << c.tolerance;
    }
}

TEST(SkinRegion, RunsAreOnePixelHighAndEndAtTheImageWidth) {
    const QImage image = ImageFromRows({
        "oo.o..oo",
        "........",
        ".ooooooo",
        "oooooooo",
    });
    const std::vector<QRect> expected = {
        QRect(0, 0, 2, 1), QRect(3, 0, 1, 1), QRect(6, 0, 2, 1),
        QRect(1, 2, 7, 1), QRect(0, 3, 8, 1),
    };
    EXPECT_EQ(CollectSkinRuns(image, kSkinKeyColour, kSkinTolerance), expected);
}

TEST(SkinRegion, BatchesJoinToTheSameRegionAsOneBatch) {
    // Alternate pixels: 30 runs a row, 3000 in all, more than one batch.
    std::vector<std::string> rows(100, std::string());
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < 60; ++x) {
            rows[y] += (x + y) % 2 == 0 ? 'o' : '.';
        }
    }
    const QImage image = ImageFromRows(rows);
    const std::vector<QRect> runs = CollectSkinRuns(image, kSkinKeyColour, kSkinTolerance);
    ASSERT_EQ(runs.size(), 3000u);

    QRegion reference;
    for (const QRect& run : runs) {
        reference += run;
    }
    const std::optional<QRegion> batched = BuildSkinRegion(image, kSkinKeyColour, kSkinTolerance);
    const std::optional<QRegion> single = RegionFromRuns(runs, runs.size());
    const std::optional<QRegion> small = RegionFromRuns(runs, 7);
    ASSERT_TRUE(batched && single && small);
    EXPECT_TRUE(SameArea(*batched, reference));
    EXPECT_TRUE(SameArea(*single, reference));
    EXPECT_TRUE(SameArea(*small, reference));
    EXPECT_TRUE(batched->contains(QPoint(0, 0)));
    EXPECT_FALSE(batched->contains(QPoint(1, 0)));
    EXPECT_TRUE(batched->contains(QPoint(59, 99)));
}

TEST(SkinRegion, NoOpaquePixelOrNoBitmapGivesNoShape) {
    QImage ground(16, 8, QImage::Format_RGB32);
    ground.fill(qRgb(8, 16, 255));
    EXPECT_TRUE(CollectSkinRuns(ground, kSkinKeyColour, kSkinTolerance).empty());
    EXPECT_FALSE(BuildSkinRegion(ground, kSkinKeyColour, kSkinTolerance).has_value());
    EXPECT_FALSE(BuildSkinRegion(QImage(), kSkinKeyColour, kSkinTolerance).has_value());
    EXPECT_FALSE(
        SkinRegionFromResource(QStringLiteral(":/skin/missing.bmp"), kSkinKeyColour, kSkinTolerance)
            .has_value());
}

TEST(SkinPainter, PaintsOnlyInsideTheShape) {
    const QImage skin = ImageFromRows({
        "..oo",
        ".ooo",
    });
    const std::optional<QRegion> shape = BuildSkinRegion(skin, kSkinKeyColour, kSkinTolerance);
    ASSERT_TRUE(shape);

    QImage shaped(4, 2, QImage::Format_ARGB32_Premultiplied);
    shaped.fill(Qt::transparent);
    {
        QPainter painter(&shaped);
        PaintSkin(painter, skin, shape);
    }
    EXPECT_EQ(qAlpha(shaped.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shaped.pixel(0, 1)), 0);
    EXPECT_EQ(shaped.pixel(2, 0), kPanel);
    EXPECT_EQ(shaped.pixel(1, 1), kPanel);

    QImage whole(4, 2, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    {
        QPainter painter(&whole);
        PaintSkin(painter, skin, std::nullopt);
    }
    EXPECT_EQ(whole.pixel(0, 0), kBlue);
    EXPECT_EQ(whole.pixel(3, 1), kPanel);
}

} // namespace
} // namespace varne
