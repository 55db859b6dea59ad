#pragma once

namespace varne {

// Artwork compiled into the program (drawn at build time, see res/).
inline constexpr char kSkinResourcePath[] = ":/skin/skin.bmp";
inline constexpr char kIconResourcePath[] = ":/icons/varne.png"; // 256 x 256
inline constexpr char kSmallIconResourcePath[] = ":/icons/varne-64.png";

} // namespace varne
