#pragma once

#include <QRect>

namespace varne {

// The dialog is laid out in dialog units of a font whose base units are 8 x 15 pixels: a
// horizontal unit is a quarter of the base width, a vertical unit an eighth of the base height
// (a 28-unit button is 52 pixels high).
inline constexpr int kBaseUnitWidth = 8;
inline constexpr int kBaseUnitHeight = 15;

constexpr int DialogUnitsToPixelsX(int units) {
    return units * kBaseUnitWidth / 4;
}
constexpr int DialogUnitsToPixelsY(int units) {
    return units * kBaseUnitHeight / 8;
}

constexpr QRect DialogUnitRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

} // namespace varne
