#include "pdf/CurvePlot.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace varne {

namespace {

const QColor kFrameColour(0x40, 0x40, 0x40);
const QColor kDecadeColour(0xB4, 0xB9, 0xC0);
const QColor kMinorColour(0xE3, 0xE6, 0xEA);
const QColor kLabelColour(0x30, 0x30, 0x30);
const QColor kCurveColour(0x1F, 0x4E, 0x8C);
const QColor kKneeColour(0xC0, 0x39, 0x2B);

// Minor grid lines (2 .. 9 times a decade) only while they stay readable.
constexpr int kMostDecadesWithMinorLines = 6;
// At most this many labelled grid lines per axis; the others stay unlabelled.
constexpr int kMostLabels = 8;

// Decade exponent of a power of ten, kept exact where log10 rounds a hair off an integer.
double decadeOf(double value) {
    const double exponent = std::log10(value);
    const double nearest = std::round(exponent);
    return std::abs(exponent - nearest) < 1e-9 ? nearest : exponent;
}

int labelStep(int decades) {
    return std::max(1, (decades + kMostLabels - 1) / kMostLabels);
}

void drawMarker(QPainter& painter, QPointF at, double radius) {
    painter.drawEllipse(at, radius, radius);
}

void drawDiamond(QPainter& painter, QPointF at, double radius) {
    painter.drawPolygon(QPolygonF{{at.x(), at.y() - radius},
                                  {at.x() + radius, at.y()},
                                  {at.x(), at.y() + radius},
                                  {at.x() - radius, at.y()}});
}

} // namespace

LogAxis LogAxis::covering(double low, double high) {
    LogAxis axis;
    axis.firstDecade = static_cast<int>(std::floor(decadeOf(low)));
    axis.lastDecade = static_cast<int>(std::ceil(decadeOf(high)));
    if (axis.lastDecade <= axis.firstDecade) {
        axis.lastDecade = axis.firstDecade + 1;
    }
    return axis;
}

double LogAxis::fraction(double value) const {
    return (std::log10(value) - firstDecade) / decades();
}

std::string DecadeLabel(int exponent) {
    if (exponent < -4 || exponent > 5) {
        return "1e" + std::to_string(exponent);
    }
    if (exponent < 0) {
        return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + "1";
    }
    return "1" + std::string(static_cast<std::size_t>(exponent), '0');
}

void DrawCurvePlot(QPainter& painter, const QRectF& frame, std::span<const CurveSample> samples,
                   const std::optional<KneePoint>& knee, const QFont& labelFont, double pt) {
    if (samples.size() < 2) {
        return;
    }
    const auto [minCurrent, maxCurrent] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const CurveSample& a, const CurveSample& b) { return a.current < b.current; });
    const auto [minVoltage, maxVoltage] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const CurveSample& a, const CurveSample& b) { return a.voltage < b.voltage; });
    const LogAxis xAxis = LogAxis::covering(minCurrent->current, maxCurrent->current);
    const LogAxis yAxis = LogAxis::covering(minVoltage->voltage, maxVoltage->voltage);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(labelFont);
    const QFontMetricsF metrics(labelFont, painter.device());
    double widestLabel = 0;
    for (int k = yAxis.firstDecade; k <= yAxis.lastDecade; ++k) {
        widestLabel = std::max(widestLabel,
                               metrics.horizontalAdvance(QString::fromStdString(DecadeLabel(k))));
    }
    const double line = metrics.height();
    // Room for the vertical axis title above, the tick labels left and below, the
    // horizontal axis title at the bottom.
    const QRectF area(frame.left() + widestLabel + 6 * pt, frame.top() + line + 4 * pt,
                      frame.width() - widestLabel - 6 * pt - metrics.horizontalAdvance("0") * 2,
                      frame.height() - 3 * line - 8 * pt);
    const auto toPoint = [&](double current, double voltage) {
        return QPointF(area.left() + area.width() * xAxis.fraction(current),
                       area.bottom() - area.height() * yAxis.fraction(voltage));
    };

    // Grid: decades and, where there is room, their multiples.
    const auto drawGrid = [&](const LogAxis& axis, bool horizontal) {
        for (int k = axis.firstDecade; k <= axis.lastDecade; ++k) {
            const double decade = std::pow(10.0, k);
            const bool minor = axis.decades() <= kMostDecadesWithMinorLines;
            for (int m = 1; m <= (k < axis.lastDecade && minor ? 9 : 1); ++m) {
                painter.setPen(
                    QPen(m == 1 ? kDecadeColour : kMinorColour, (m == 1 ? 0.5 : 0.3) * pt));
                const double f = axis.fraction(m * decade);
                if (horizontal) {
                    const double y = area.bottom() - area.height() * f;
                    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
                } else {
                    const double x = area.left() + area.width() * f;
                    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
                }
            }
        }
    };
    painter.fillRect(area, Qt::white);
    drawGrid(xAxis, false);
    drawGrid(yAxis, true);
    painter.setPen(QPen(kFrameColour, 0.6 * pt));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);

    // Decade labels and axis titles.
    painter.setPen(kLabelColour);
    const int yStep = labelStep(yAxis.decades());
    for (int k = yAxis.firstDecade; k <= yAxis.lastDecade; k += yStep) {
        const QString label = QString::fromStdString(DecadeLabel(k));
        const double y = area.bottom() - area.height() * yAxis.fraction(std::pow(10.0, k));
        painter.drawText(QPointF(area.left() - 4 * pt - metrics.horizontalAdvance(label),
                                 y + metrics.capHeight() / 2),
                         label);
    }
    const int xStep = labelStep(xAxis.decades());
    for (int k = xAxis.firstDecade; k <= xAxis.lastDecade; k += xStep) {
        const QString label = QString::fromStdString(DecadeLabel(k));
        const double x = area.left() + area.width() * xAxis.fraction(std::pow(10.0, k));
        painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2,
                                 area.bottom() + 4 * pt + metrics.ascent()),
                         label);
    }
    painter.drawText(QPointF(area.left() - 4 * pt - widestLabel, area.top() - 4 * pt),
                     QStringLiteral("Voltage (V)"));
    const QString xTitle = QStringLiteral("Exciting current (A)");
    painter.drawText(QPointF(area.center().x() - metrics.horizontalAdvance(xTitle) / 2,
                             area.bottom() + 5 * pt + line + metrics.ascent()),
                     xTitle);

    // The measured curve.
    QPolygonF curve;
    for (const CurveSample& s : samples) {
        curve << toPoint(s.current, s.voltage);
    }
    painter.setPen(QPen(kCurveColour, 1.1 * pt, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(curve);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(kCurveColour, 0.8 * pt));
    for (const QPointF& at : curve) {
        drawMarker(painter, at, 1.8 * pt);
    }

    // The knee point, with dashed guides to both axes.
    if (knee) {
        const QPointF at = toPoint(knee->current, knee->voltage);
        QPen guide(kKneeColour, 0.6 * pt, Qt::DashLine);
        painter.setPen(guide);
        painter.drawLine(at, QPointF(area.left(), at.y()));
        painter.drawLine(at, QPointF(at.x(), area.bottom()));
        painter.setPen(QPen(kKneeColour, 0.8 * pt));
        painter.setBrush(kKneeColour);
        drawDiamond(painter, at, 3.2 * pt);
    }

    // Legend in the lower right corner, where an excitation curve never runs.
    const QString measured = QStringLiteral("measured");
    const QString kneeText = QStringLiteral("knee point");
    const double legendWidth =
        std::max(metrics.horizontalAdvance(measured), metrics.horizontalAdvance(kneeText)) +
        16 * pt;
    const QRectF legend(area.right() - legendWidth - 4 * pt, area.bottom() - 2 * line - 8 * pt,
                        legendWidth, 2 * line + 4 * pt);
    painter.setPen(QPen(kDecadeColour, 0.4 * pt));
    painter.setBrush(Qt::white);
    painter.drawRect(legend);
    const QPointF firstMark(legend.left() + 6 * pt, legend.top() + 2 * pt + line / 2);
    painter.setPen(QPen(kCurveColour, 0.8 * pt));
    drawMarker(painter, firstMark, 1.8 * pt);
    const QPointF secondMark(firstMark.x(), firstMark.y() + line);
    painter.setPen(QPen(kKneeColour, 0.8 * pt));
    painter.setBrush(kKneeColour);
    drawDiamond(painter, secondMark, 3.2 * pt);
    painter.setPen(kLabelColour);
    painter.drawText(QPointF(firstMark.x() + 6 * pt, firstMark.y() + metrics.capHeight() / 2),
                     measured);
    painter.drawText(QPointF(secondMark.x() + 6 * pt, secondMark.y() + metrics.capHeight() / 2),
                     kneeText);
    painter.restore();
}

} // namespace varne
