#include "res/gen/SkinArtwork.h"

#include "res/gen/SkinOutline.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cstdint>

namespace varne::gen {
namespace {

const QColor kGround(0, 0, 255);
const QColor kBodyTop(54, 64, 78);
const QColor kBodyBottom(24, 30, 40);
const QColor kOuterEdge(10, 13, 18);
const QColor kBevelLight(118, 132, 152);
const QColor kBevelDark(34, 40, 52);
const QColor kBandTop(70, 88, 112);
const QColor kBandBottom(48, 62, 82);
const QColor kAccent(236, 148, 32);
const QColor kAccentDim(150, 94, 24);
const QColor kPlateTop(218, 223, 230);
const QColor kPlateBottom(186, 193, 203);
const QColor kPlateEdge(66, 76, 90);
const QColor kTab(204, 211, 220);

// Layout in pixels, from the dialog's controls (dialog units x*8/4, y*15/8).
const QRectF kHeaderBand(9.0, 7.0, 382.0, 30.0);
const QRectF kLabelPlate(56.0, 86.0, 300.0, 90.0);

int Lerp(int from, int to, double t) {
    return from + static_cast<int>((to - from) * t + (to > from ? 0.5 : -0.5));
}

QColor Lerp(const QColor& from, const QColor& to, double t) {
    return QColor(Lerp(from.red(), to.red(), t), Lerp(from.green(), to.green(), t),
                  Lerp(from.blue(), to.blue(), t));
}

// Small deterministic hash for the brushed-metal grain, so every build draws the same bytes.
int Grain(std::uint32_t seed, int spread) {
    seed ^= seed >> 16;
    seed *= 0x7FEB352Du;
    seed ^= seed >> 15;
    seed *= 0x846CA68Bu;
    seed ^= seed >> 16;
    return static_cast<int>(seed % static_cast<std::uint32_t>(2 * spread + 1)) - spread;
}

QColor Shade(const QColor& colour, int delta) {
    return QColor(std::clamp(colour.red() + delta, 0, 255),
                  std::clamp(colour.green() + delta, 0, 255),
                  std::clamp(colour.blue() + delta, 0, 255));
}

void DrawBrushedBody(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const QColor rowColour =
            Lerp(kBodyTop, kBodyBottom, static_cast<double>(y) / (image.height() - 1));
        const int rowGrain = Grain(static_cast<std::uint32_t>(y) * 2654435761u, 2);
        for (int x = 0; x < image.width(); ++x) {
            const int pixelGrain = Grain(static_cast<std::uint32_t>(y * 977 + x * 131 + 7), 1);
            image.setPixel(x, y, Shade(rowColour, rowGrain + pixelGrain).rgb());
        }
    }
}

void DrawHeaderBand(QPainter& painter) {
    QLinearGradient band(kHeaderBand.topLeft(), kHeaderBand.bottomLeft());
    band.setColorAt(0.0, kBandTop);
    band.setColorAt(1.0, kBandBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRoundedRect(kHeaderBand, 6.0, 6.0);
    painter.setPen(QPen(Shade(kBandTop, 26), 1.0));
    painter.drawLine(QPointF(18.0, 7.5), QPointF(382.0, 7.5));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRect(QRectF(20.0, 40.0, 360.0, 2.0));
    painter.setBrush(Shade(kAccent, -70));
    painter.drawRect(QRectF(20.0, 42.0, 360.0, 1.0));
}

void DrawLabelPlate(QPainter& painter) {
    QLinearGradient plate(kLabelPlate.topLeft(), kLabelPlate.bottomLeft());
    plate.setColorAt(0.0, kPlateTop);
    plate.setColorAt(1.0, kPlateBottom);
    painter.setPen(QPen(kPlateEdge, 1.0));
    painter.setBrush(plate);
    painter.drawRoundedRect(kLabelPlate.adjusted(0.5, 0.5, -0.5, -0.5), 5.0, 5.0);
    painter.setPen(QPen(QColor(244, 246, 249), 1.0));
    painter.drawLine(kLabelPlate.topLeft() + QPointF(6.0, 1.5),
                     kLabelPlate.topRight() + QPointF(-6.0, 1.5));
}

void DrawScrew(QPainter& painter, QPointF centre) {
    QRadialGradient head(centre + QPointF(-1.5, -1.5), 6.0);
    head.setColorAt(0.0, QColor(200, 208, 218));
    head.setColorAt(1.0, QColor(84, 94, 108));
    painter.setPen(QPen(QColor(14, 18, 24), 1.0));
    painter.setBrush(head);
    painter.drawEllipse(centre, 5.0, 5.0);
    painter.setPen(QPen(QColor(40, 46, 56), 1.4));
    painter.drawLine(centre + QPointF(-3.0, 3.0), centre + QPointF(3.0, -3.0));
}

void DrawFooter(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccentDim);
    painter.drawRect(QRectF(20.0, 358.0, 360.0, 1.0));
    for (int slot = 0; slot < 9; ++slot) {
        const QRectF vent(131.0 + slot * 16.0, 367.0, 10.0, 14.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(9, 11, 15));
        painter.drawRoundedRect(vent, 3.0, 3.0);
        painter.setBrush(QColor(70, 80, 96));
        painter.drawRect(QRectF(vent.left() + 2.0, vent.bottom(), vent.width() - 4.0, 1.0));
    }
}

bool IsOutside(int x, int y) {
    return !IsInsideSkin(x, y);
}

// Distance in pixels (1 or 2) to the ground or the image border, 0 further inside.
int EdgeRing(int x, int y) {
    for (int ring = 1; ring <= 2; ++ring) {
        for (int dy = -ring; dy <= ring; ++dy) {
            for (int dx = -ring; dx <= ring; ++dx) {
                if (IsOutside(x + dx, y + dy)) {
                    return ring;
                }
            }
        }
    }
    return 0;
}

void CutOutline(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const double depth = static_cast<double>(y) / (image.height() - 1);
        for (int x = 0; x < image.width(); ++x) {
            if (IsOutside(x, y)) {
                image.setPixel(x, y, kGround.rgb());
            } else if (y < 3) {
                image.setPixel(x, y, kTab.rgb());
            } else if (const int ring = EdgeRing(x, y); ring == 1) {
                image.setPixel(x, y, kOuterEdge.rgb());
            } else if (ring == 2) {
                image.setPixel(x, y, Lerp(kBevelLight, kBevelDark, depth).rgb());
            }
        }
    }
}

} // namespace

bool LooksLikeGround(QRgb pixel) {
    return qBlue(pixel) == 255 && qGreen(pixel) <= 16 && qRed(pixel) <= 16;
}

QImage DrawSkin() {
    QImage image(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    DrawBrushedBody(image);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawHeaderBand(painter);
        DrawLabelPlate(painter);
        DrawScrew(painter, QPointF(19.0, 22.0));
        DrawScrew(painter, QPointF(381.0, 22.0));
        DrawScrew(painter, QPointF(19.0, 378.0));
        DrawScrew(painter, QPointF(381.0, 378.0));
        DrawFooter(painter);
    }
    CutOutline(image);
    return image;
}

} // namespace varne::gen
