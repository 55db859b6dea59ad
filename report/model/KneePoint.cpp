#include "report/model/KneePoint.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace varne {

namespace {

// ln I as a piecewise linear function of ln V through the measured points (at least two, both
// coordinates strictly rising). Beyond the ends it continues the outer pieces, which only
// matters for rounding at the very ends.
class LogLogCurve {
public:
    explicit LogLogCurve(const std::vector<CurveSample>& samples) {
        x_.reserve(samples.size());
        y_.reserve(samples.size());
        for (const CurveSample& s : samples) {
            x_.push_back(std::log(s.voltage));
            y_.push_back(std::log(s.current));
        }
    }

    const std::vector<double>& breaks() const { return x_; }
    double first() const { return x_.front(); }
    double last() const { return x_.back(); }

    double operator()(double x) const {
        const auto upper = std::upper_bound(x_.begin() + 1, x_.end() - 1, x);
        const auto k = static_cast<std::size_t>(upper - x_.begin());
        const double slope = (y_[k] - y_[k - 1]) / (x_[k] - x_[k - 1]);
        return y_[k - 1] + slope * (x - x_[k - 1]);
    }

private:
    std::vector<double> x_;
    std::vector<double> y_;
};

bool strictlyRising(const std::vector<CurveSample>& samples) {
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (!(samples[i].voltage > samples[i - 1].voltage) ||
            !(samples[i].current > samples[i - 1].current)) {
            return false;
        }
    }
    return true;
}

void appendFixed(std::string& out, double value, int decimals) {
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error == std::errc()) {
        out.append(buffer.data(), end);
    }
}

} // namespace

std::vector<CurveSample> UsableCurveSamples(std::span<const CurvePoint> points) {
    std::vector<CurveSample> samples;
    samples.reserve(points.size());
    for (const CurvePoint& p : points) {
        const auto current = static_cast<double>(p.current);
        const auto voltage = static_cast<double>(p.voltage);
        if (std::isfinite(current) && std::isfinite(voltage) && current > 0 && voltage > 0) {
            samples.push_back({current, voltage});
        }
    }
    std::stable_sort(
        samples.begin(), samples.end(),
        [](const CurveSample& a, const CurveSample& b) { return a.voltage < b.voltage; });
    return samples;
}

std::optional<KneePoint> FindKneePoint(std::span<const CurvePoint> points) {
    const std::vector<CurveSample> samples = UsableCurveSamples(points);
    if (samples.size() < 2 || !strictlyRising(samples)) {
        return std::nullopt;
    }
    const LogLogCurve lnI(samples);
    const double step = std::log(1.1);   // the voltage raised by 10 %
    const double target = std::log(1.5); // the current raised by 50 %
    const double from = lnI.first();
    const double to = lnI.last() - step;
    if (to < from) {
        return std::nullopt;
    }
    const auto h = [&](double x) { return lnI(x + step) - lnI(x) - target; };

    // h is linear between these break points: both ends, every measured ln V and every
    // ln V - ln 1.1 inside the interval.
    std::vector<double> breaks{from, to};
    for (const double x : lnI.breaks()) {
        for (const double b : {x, x - step}) {
            if (b > from && b < to) {
                breaks.push_back(b);
            }
        }
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());

    double hLeft = h(breaks.front());
    if (hLeft >= 0) {
        return std::nullopt; // past the knee at the first point
    }
    for (std::size_t j = 1; j < breaks.size(); ++j) {
        const double hRight = h(breaks[j]);
        if (hRight >= 0) {
            const double x =
                breaks[j - 1] + (breaks[j] - breaks[j - 1]) * (-hLeft) / (hRight - hLeft);
            return KneePoint{std::exp(x), std::exp(lnI(x))};
        }
        hLeft = hRight;
    }
    return std::nullopt;
}

std::string KneePointLine(const std::optional<KneePoint>& knee) {
    std::string line = "Knee point (IEC 61869-2): ";
    if (!knee) {
        return line + "none within the measured points";
    }
    appendFixed(line, knee->voltage, 1);
    line += " V at ";
    appendFixed(line, knee->current, 4);
    line += " A";
    return line;
}

} // namespace varne
