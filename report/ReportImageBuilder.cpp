#include "report/ReportImageBuilder.h"

#include "link/CheckByte.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace varne {

namespace {
constexpr std::size_t kEntrySize = 10;
constexpr std::size_t kRecordPoints = 6;
constexpr std::size_t kExtensionPoints = 4;
constexpr std::size_t kPointCountOffset = 32;
} // namespace

ReportImageBuilder::ReportImageBuilder() : image_(kImageSize, 0) {}

ReportImageBuilder& ReportImageBuilder::entry(std::size_t index, const EntryFields& f) {
    if (index >= kEntryCount) {
        throw std::out_of_range("directory entry index");
    }
    const std::array<std::uint8_t, kEntrySize> bytes{ReportImage::kPresentMarker,
                                                     f.year,
                                                     f.month,
                                                     f.day,
                                                     f.hour,
                                                     f.minute,
                                                     f.second,
                                                     f.testType,
                                                     f.subType,
                                                     f.option};
    std::copy(bytes.begin(), bytes.end(), image_.begin() + static_cast<long>(index * kEntrySize));
    return *this;
}

ReportImageBuilder& ReportImageBuilder::marker(std::size_t index, std::uint8_t value) {
    if (index >= kEntryCount) {
        throw std::out_of_range("directory entry index");
    }
    return byteAt(index * kEntrySize, value);
}

ReportImageBuilder& ReportImageBuilder::values(std::size_t index, float value1, float value2,
                                               float value3) {
    const std::size_t at = recordOffset(index);
    return floatAt(at, value1).floatAt(at + 4, value2).floatAt(at + 8, value3);
}

ReportImageBuilder& ReportImageBuilder::curve(std::size_t index,
                                              std::span<const std::pair<float, float>> points,
                                              std::int8_t pointCount) {
    if (points.size() > kRecordPoints + kExtensionPoints) {
        throw std::out_of_range("an excitation curve holds at most ten points");
    }
    for (std::size_t p = 0; p < points.size(); ++p) {
        const std::size_t base = p < kRecordPoints
                                     ? recordOffset(index) + 8 * p
                                     : extensionOffset(index) + 8 * (p - kRecordPoints);
        floatAt(base, points[p].first).floatAt(base + 4, points[p].second);
    }
    return byteAt(extensionOffset(index) + kPointCountOffset,
                  std::bit_cast<std::uint8_t>(pointCount));
}

ReportImageBuilder& ReportImageBuilder::floatAt(std::size_t offset, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (std::size_t b = 0; b < 4; ++b) {
        byteAt(offset + b, static_cast<std::uint8_t>(bits >> (8 * b)));
    }
    return *this;
}

ReportImageBuilder& ReportImageBuilder::byteAt(std::size_t offset, std::uint8_t value) {
    image_.at(offset) = value;
    return *this;
}

std::vector<std::uint8_t> ReportImageBuilder::replyPayload() const {
    std::vector<std::uint8_t> payload = image_;
    payload.push_back(checkByte(image_));
    return payload;
}

} // namespace varne
