#include "report/ReportImage.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>

namespace varne {

namespace {
constexpr std::size_t kEntrySize = 10;
constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kRecordSize = 48;
constexpr std::size_t kRecordsPerBlock = 10;
constexpr std::size_t kExtensionDistance = 1536;
constexpr std::size_t kRecordPoints = 6;
constexpr std::size_t kPointCountOffset = 32;

void checkIndex(std::size_t index) {
    if (index >= ReportImage::kEntryCount) {
        throw std::out_of_range("directory entry " + std::to_string(index) + " does not exist");
    }
}
} // namespace

bool ReportImage::hasExtendedCurve(std::uint8_t handshakeValue) {
    return static_cast<std::int8_t>(handshakeValue) >= 7;
}

bool ReportImage::isPresent(std::size_t index) const {
    return byteAt(entryOffset(index)) == kPresentMarker;
}

std::size_t ReportImage::entryOffset(std::size_t index) {
    checkIndex(index);
    return index * kEntrySize;
}

DirectoryEntry ReportImage::entry(std::size_t index) const {
    checkIndex(index);
    const std::size_t at = index * kEntrySize;
    return DirectoryEntry{byteAt(at),     byteAt(at + 1), byteAt(at + 2), byteAt(at + 3),
                          byteAt(at + 4), byteAt(at + 5), byteAt(at + 6), byteAt(at + 7),
                          byteAt(at + 8), byteAt(at + 9)};
}

std::size_t ReportImage::recordOffset(std::size_t index) {
    checkIndex(index);
    // Each block of ten records starts on a 512-byte boundary after the directory block.
    return kBlockSize * (index / kRecordsPerBlock + 1) + kRecordSize * (index % kRecordsPerBlock);
}

std::size_t ReportImage::extensionOffset(std::size_t index) {
    return recordOffset(index) + kExtensionDistance;
}

std::size_t ReportImage::pointCountOffset(std::size_t index) {
    return extensionOffset(index) + kPointCountOffset;
}

std::span<const std::uint8_t> ReportImage::bytesAt(std::size_t offset, std::size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
        throw std::out_of_range("report image is incomplete: bytes " + std::to_string(offset) +
                                " to " + std::to_string(offset + length) + " of " +
                                std::to_string(bytes_.size()));
    }
    return bytes_.subspan(offset, length);
}

float ReportImage::value(std::size_t index, int n) const {
    if (n < 1 || n > 3) {
        throw std::out_of_range("a record holds values 1 to 3, not " + std::to_string(n));
    }
    return floatAt(recordOffset(index) + 4 * static_cast<std::size_t>(n - 1));
}

ExcitationCurve ReportImage::curvePoints(std::size_t index, std::uint8_t handshakeValue) const {
    ExcitationCurve curve;
    if (hasExtendedCurve(handshakeValue)) {
        const auto stored = static_cast<std::int8_t>(byteAt(pointCountOffset(index)));
        curve.count = static_cast<std::size_t>(
            std::clamp<int>(stored, 0, static_cast<int>(ExcitationCurve::kMaxPoints)));
        curve.fromPointCount = true;
    } else {
        curve.count = kRecordPoints;
    }
    for (std::size_t p = 0; p < curve.count; ++p) {
        const std::size_t at = p < kRecordPoints ? recordOffset(index) + 8 * p
                                                 : extensionOffset(index) + 8 * (p - kRecordPoints);
        curve.points[p] = CurvePoint{floatAt(at), floatAt(at + 4)};
    }
    return curve;
}

std::uint8_t ReportImage::byteAt(std::size_t offset) const {
    if (offset >= bytes_.size()) {
        throw std::out_of_range("report image is incomplete: byte " + std::to_string(offset) +
                                " of " + std::to_string(bytes_.size()));
    }
    return bytes_[offset];
}

float ReportImage::floatAt(std::size_t offset) const {
    std::uint32_t bits = 0;
    for (std::size_t b = 0; b < 4; ++b) {
        bits |= static_cast<std::uint32_t>(byteAt(offset + b)) << (8 * b);
    }
    return std::bit_cast<float>(bits);
}

} // namespace varne
