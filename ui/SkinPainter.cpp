#include "ui/SkinPainter.h"

#include <QPainter>

namespace varne {

void PaintSkin(QPainter& painter, const QImage& skin, const std::optional<QRegion>& shape) {
    if (skin.isNull()) {
        return;
    }
    painter.save();
    if (shape) {
        painter.setClipRegion(*shape, Qt::IntersectClip);
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), skin);
    painter.restore();
}

} // namespace varne
