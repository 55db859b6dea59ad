#pragma once

#include <optional>

namespace varne::gen {

inline constexpr int kSkinWidth = 400;
inline constexpr int kSkinHeight = 400;

// The opaque run of one image row, counted from the top: columns [first, end).
struct RowRun {
    int first;
    int end;
};

// The panel's outline: at most one opaque run per row. Everything else is the blue ground
// that the window shape cuts away, so this table is the window's outline pixel for pixel.
std::optional<RowRun> SkinRowRun(int row);

bool IsInsideSkin(int x, int y);

} // namespace varne::gen
