#pragma once

#include <QImage>
#include <string>

namespace varne::gen {

// Writes the image as an uncompressed 24-bit BMP stored bottom-up (positive height), rows
// padded to four bytes. Returns false when the file cannot be written.
bool WriteBmp24(const QImage& image, const std::string& path);

} // namespace varne::gen
