#pragma once

#include <QImage>
#include <QRegion>
#include <optional>

class QPainter;

namespace varne {

// Draws the skin at full size at the painter's origin. With a shape, only the pixels inside
// it are drawn, so the cut-out ground stays transparent on a window with a translucent
// background; without one (the skin had no shape) the whole bitmap is drawn.
void PaintSkin(QPainter& painter, const QImage& skin, const std::optional<QRegion>& shape);

} // namespace varne
