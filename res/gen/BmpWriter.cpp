#include "res/gen/BmpWriter.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace varne::gen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::int32_t kPixelsPerMetre = 3780; // 96 dpi

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
    }
}

void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) {
    PutU32(out, static_cast<std::uint32_t>(value));
}

} // namespace

bool WriteBmp24(const QImage& image, const std::string& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::uint32_t>(rgb.width());
    const auto height = static_cast<std::uint32_t>(rgb.height());
    const std::uint32_t rowBytes = (width * 3u + 3u) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;

    std::vector<std::uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, pixelOffset + pixelBytes);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, pixelOffset);

    PutU32(out, kInfoHeaderSize);
    PutI32(out, static_cast<std::int32_t>(width));
    PutI32(out, static_cast<std::int32_t>(height));
    PutU16(out, 1);
    PutU16(out, kBitsPerPixel);
    PutU32(out, kCompressionRgb);
    PutU32(out, pixelBytes);
    PutI32(out, kPixelsPerMetre);
    PutI32(out, kPixelsPerMetre);
    PutU32(out, 0);
    PutU32(out, 0);

    for (int y = rgb.height() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(qBlue(pixel)));
            out.push_back(static_cast<std::uint8_t>(qGreen(pixel)));
            out.push_back(static_cast<std::uint8_t>(qRed(pixel)));
        }
        out.resize(rowStart + rowBytes, 0);
    }

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

} // namespace varne::gen
