#pragma once

#include <QImage>

namespace varne::gen {

// The dialog's background: a dark steel panel with a header band for the title and a light
// label plate behind the report-format group, on the pure blue ground that the window shape
// cuts away. The buttons sit on the dark panel below the plate.
QImage DrawSkin();

// True when an opaque pixel would be cut away with the ground (blue 255, green and red at
// most 16); the artwork must never contain one.
bool LooksLikeGround(QRgb pixel);

} // namespace varne::gen
