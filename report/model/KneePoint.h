#pragma once

#include "report/ReportImage.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varne {

// A point of an excitation curve as a number pair in A and V.
struct CurveSample {
    double current = 0; // A
    double voltage = 0; // V
};

// The knee point of an excitation curve after IEC 61869-2: the voltage which, raised by 10 %,
// raises the exciting current by 50 %, and the current at that voltage.
struct KneePoint {
    double voltage = 0; // V
    double current = 0; // A
};

// The points that can be drawn on log-log axes (current and voltage finite and above zero),
// sorted by voltage; points of equal voltage keep their measured order.
std::vector<CurveSample> UsableCurveSamples(std::span<const CurvePoint> points);

// The knee point between the measured points, with ln I linear in ln V between neighbouring
// points. None when fewer than two points are usable, when voltage and current do not both rise
// strictly from each usable point to the next, when the curve is already past its knee at its
// first point, or when it does not reach its knee by its last.
std::optional<KneePoint> FindKneePoint(std::span<const CurvePoint> points);

// "Knee point (IEC 61869-2): 138.4 V at 0.0622 A", or "... none within the measured points";
// numbers with a point as the decimal separator, whatever the locale.
std::string KneePointLine(const std::optional<KneePoint>& knee);

} // namespace varne
