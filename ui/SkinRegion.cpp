#include "ui/SkinRegion.h"

#include <algorithm>

namespace varne {
namespace {

// Inclusive bounds of one colour byte: from the key byte to key + tolerance, capped at 255.
struct ByteRange {
    int low;
    int high;
    bool contains(int value) const { return value >= low && value <= high; }
};

ByteRange RangeOfByte(std::uint32_t key, std::uint32_t tolerance, int byteIndex) {
    const int shift = 8 * byteIndex;
    const int keyByte = static_cast<int>((key >> shift) & 0xFFu);
    const int toleranceByte = static_cast<int>((tolerance >> shift) & 0xFFu);
    return {keyByte, std::min(255, keyByte + toleranceByte)};
}

class TransparencyTest {
public:
    TransparencyTest(std::uint32_t key, std::uint32_t tolerance)
        : m_blue(RangeOfByte(key, tolerance, 0)), m_green(RangeOfByte(key, tolerance, 1)),
          m_red(RangeOfByte(key, tolerance, 2)) {}

    bool isTransparent(QRgb pixel) const {
        return m_blue.contains(qBlue(pixel)) && m_green.contains(qGreen(pixel)) &&
               m_red.contains(qRed(pixel));
    }

private:
    ByteRange m_blue;
    ByteRange m_green;
    ByteRange m_red;
};

} // namespace

std::vector<QRect> CollectSkinRuns(const QImage& bitmap, std::uint32_t key,
                                   std::uint32_t tolerance) {
    std::vector<QRect> runs;
    if (bitmap.isNull()) {
        return runs;
    }
    const QImage pixels = bitmap.convertToFormat(QImage::Format_RGB32);
    const TransparencyTest test(key, tolerance);
    const int width = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < width) {
            const int runStart = x;
            while (x < width && !test.isTransparent(row[x])) {
                ++x;
            }
            if (x > runStart) {
                runs.emplace_back(runStart, y, x - runStart, 1);
            }
            ++x;
        }
    }
    return runs;
}

std::optional<QRegion> RegionFromRuns(const std::vector<QRect>& runs, std::size_t batchSize) {
    batchSize = std::max<std::size_t>(batchSize, 1);
    QRegion result;
    for (std::size_t start = 0; start < runs.size(); start += batchSize) {
        const std::size_t count = std::min(batchSize, runs.size() - start);
        // The runs are disjoint, one pixel high, sorted by row then column and never abut
        // within a row, which is the banded form setRects expects.
        QRegion batch;
        batch.setRects(runs.data() + start, static_cast<int>(count));
        result = result.united(batch);
    }
    if (result.isEmpty()) {
        return std::nullopt;
    }
    return result;
}

std::optional<QRegion> BuildSkinRegion(const QImage& bitmap, std::uint32_t key,
                                       std::uint32_t tolerance) {
    return RegionFromRuns(CollectSkinRuns(bitmap, key, tolerance));
}

std::optional<QRegion> SkinRegionFromResource(const QString& resourcePath, std::uint32_t key,
                                              std::uint32_t tolerance) {
    return BuildSkinRegion(QImage(resourcePath), key, tolerance);
}

} // namespace varne
