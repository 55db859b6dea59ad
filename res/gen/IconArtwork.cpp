#include "res/gen/IconArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace varne::gen {
namespace {

// The glyph is designed on a 256-unit grid and scaled to the requested size.
constexpr double kGrid = 256.0;

void DrawTile(QPainter& painter) {
    const QRectF tile(12.0, 12.0, 232.0, 232.0);
    QLinearGradient body(tile.topLeft(), tile.bottomLeft());
    body.setColorAt(0.0, QColor(66, 80, 100));
    body.setColorAt(1.0, QColor(24, 30, 40));
    painter.setPen(QPen(QColor(10, 13, 18), 6.0));
    painter.setBrush(body);
    painter.drawRoundedRect(tile, 40.0, 40.0);
    painter.setPen(QPen(QColor(118, 132, 152), 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(tile.adjusted(6.0, 6.0, -6.0, -6.0), 34.0, 34.0);
}

void DrawGrid(QPainter& painter) {
    painter.setPen(QPen(QColor(92, 108, 130), 2.0, Qt::DotLine));
    for (double x = 64.0; x < 200.0; x += 64.0) {
        painter.drawLine(QPointF(x, 48.0), QPointF(x, 208.0));
    }
    painter.drawLine(QPointF(40.0, 128.0), QPointF(216.0, 128.0));
}

// A sine wave whose amplitude steps up at the trip point, as a fault current would.
void DrawWaveform(QPainter& painter) {
    QPainterPath wave;
    constexpr double kLeft = 40.0;
    constexpr double kRight = 216.0;
    constexpr double kTrip = 150.0;
    for (double x = kLeft; x <= kRight; x += 1.0) {
        const double amplitude = x < kTrip ? 26.0 : 60.0;
        const double y = 128.0 - amplitude * std::sin((x - kLeft) / 58.0 * 2.0 * std::numbers::pi);
        if (x == kLeft) {
            wave.moveTo(x, y);
        } else {
            wave.lineTo(x, y);
        }
    }
    painter.setPen(QPen(QColor(226, 232, 240), 10.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);

    painter.setPen(QPen(QColor(236, 148, 32), 10.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(kTrip, 44.0), QPointF(kTrip, 212.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(236, 148, 32));
    painter.drawEllipse(QPointF(kTrip, 44.0), 14.0, 14.0);
}

} // namespace

QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    DrawTile(painter);
    DrawGrid(painter);
    DrawWaveform(painter);
    painter.end();
    return image;
}

} // namespace varne::gen
