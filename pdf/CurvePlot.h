#pragma once

#include "report/model/KneePoint.h"

#include <QFont>
#include <QRectF>
#include <optional>
#include <span>
#include <string>

class QPainter;

namespace varne {

// A logarithmic axis over whole decades, 10^firstDecade .. 10^lastDecade, at least one.
struct LogAxis {
    int firstDecade = 0;
    int lastDecade = 1;

    // The decades around [low, high] (both finite and above zero).
    static LogAxis covering(double low, double high);
    int decades() const { return lastDecade - firstDecade; }
    // Where `value` lies: 0 at the first decade, 1 at the last.
    double fraction(double value) const;
};

// The label of the grid line at 10^exponent: "0.001", "1", "100", or "1e-7" far from 1.
std::string DecadeLabel(int exponent);

// Draws an excitation curve as a vector plot into `frame` (labels included): exciting current
// on the horizontal axis, voltage on the vertical, both logarithmic with a grid line at every
// decade, the measured points marked and joined in the order given, and the knee point marked.
// `pt` is the size of a typographic point in the painter's units. Nothing is drawn for fewer
// than two samples.
void DrawCurvePlot(QPainter& painter, const QRectF& frame, std::span<const CurveSample> samples,
                   const std::optional<KneePoint>& knee, const QFont& labelFont, double pt);

} // namespace varne
