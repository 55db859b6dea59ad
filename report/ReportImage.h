#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varne {

// The ten bytes of one directory entry, as the tester stores them.
struct DirectoryEntry {
    std::uint8_t marker = 0; // 0xAA: the entry holds a test
    std::uint8_t year = 0;   // years after 2000, binary
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t testType = 0;
    std::uint8_t subType = 0;
    std::uint8_t option = 0;
};

struct CurvePoint {
    float current = 0; // A
    float voltage = 0; // V
};

// The points of an excitation curve. `fromPointCount` tells whether their number came from the
// point count in the extension record (handshake value 7 or more) or is the fixed six.
struct ExcitationCurve {
    static constexpr std::size_t kMaxPoints = 10;
    std::array<CurvePoint, kMaxPoints> points{};
    std::size_t count = 0;
    bool fromPointCount = false;
};

// Read-only view over a downloaded report image: a directory of 30 entries, one 48-byte record
// per entry and an extension area used by excitation curves. The view does not own the bytes.
// Reads beyond the end of a short image throw std::out_of_range; check isComplete() first.
class ReportImage {
public:
    static constexpr std::size_t kEntryCount = 30;
    // The bytes the layout reads; the rest of the 5120 downloaded bytes is never looked at.
    static constexpr std::size_t kLayoutSize = 3584;
    static constexpr std::uint8_t kPresentMarker = 0xAA;

    explicit ReportImage(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool isComplete() const { return bytes_.size() >= kLayoutSize; }

    bool isPresent(std::size_t index) const;
    DirectoryEntry entry(std::size_t index) const;
    static std::size_t entryOffset(std::size_t index);
    static std::size_t recordOffset(std::size_t index);
    static std::size_t extensionOffset(std::size_t index);
    // Where the signed point count of a ten-point excitation curve is kept.
    static std::size_t pointCountOffset(std::size_t index);
    // `length` bytes from `offset`, as they stand; throws std::out_of_range past the end.
    std::span<const std::uint8_t> bytesAt(std::size_t offset, std::size_t length) const;
    // Measured value n (1..3) of entry `index`.
    float value(std::size_t index, int n) const;
    // At most the ten points the layout holds; a negative point count gives no points.
    ExcitationCurve curvePoints(std::size_t index, std::uint8_t handshakeValue) const;

    // The handshake value is a signed byte; 7 or more selects the ten-point curve layout.
    static bool hasExtendedCurve(std::uint8_t handshakeValue);

private:
    std::uint8_t byteAt(std::size_t offset) const;
    float floatAt(std::size_t offset) const;

    std::span<const std::uint8_t> bytes_;
};

} // namespace varne
