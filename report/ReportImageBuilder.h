#pragma once

#include "report/ReportImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace varne {

// The date and codes of one directory entry, as the tester stores them.
struct EntryFields {
    std::uint8_t year = 0; // years after 2000
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t testType = 0;
    std::uint8_t subType = 0;
    std::uint8_t option = 0;
};

// Writes records at their places in a report image, the way the tester lays out its report
// memory. Used by the tester simulator for its demo image and by tests to build cases.
class ReportImageBuilder {
public:
    static constexpr std::size_t kImageSize = 5120;
    static constexpr std::size_t kEntryCount = ReportImage::kEntryCount;

    ReportImageBuilder();

    // Marks entry `index` (0..29) as holding a test, with its date and codes.
    ReportImageBuilder& entry(std::size_t index, const EntryFields& fields);
    // Writes the marker byte of entry `index` as it stands (0xAA means present).
    ReportImageBuilder& marker(std::size_t index, std::uint8_t marker);
    // The three measured values of entry `index`.
    ReportImageBuilder& values(std::size_t index, float value1, float value2, float value3);
    // Excitation-curve points (current A, voltage V) of entry `index`: up to six in the record,
    // four more in its extension record, and the point count kept in the extension record.
    ReportImageBuilder& curve(std::size_t index, std::span<const std::pair<float, float>> points,
                              std::int8_t pointCount);
    // A single-precision value at any offset of the image (for odd cases in tests).
    ReportImageBuilder& floatAt(std::size_t offset, float value);
    ReportImageBuilder& byteAt(std::size_t offset, std::uint8_t value);

    static std::size_t recordOffset(std::size_t index) { return ReportImage::recordOffset(index); }
    static std::size_t extensionOffset(std::size_t index) {
        return ReportImage::extensionOffset(index);
    }

    const std::vector<std::uint8_t>& image() const { return image_; }
    // The image followed by its check byte: the payload of the tester's report reply.
    std::vector<std::uint8_t> replyPayload() const;

private:
    std::vector<std::uint8_t> image_;
};

} // namespace varne
