#include "report/model/KneePoint.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace varne {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const std::vector<CurvePoint> kDemoCurve{
    {0.005f, 20.1f},  {0.010f, 45.3f},  {0.020f, 82.6f},  {0.040f, 121.8f},
    {0.080f, 148.9f}, {0.150f, 163.2f}, {0.300f, 172.5f}, {0.600f, 178.9f},
};

// A curve made of power laws I ~ V^slope: from (voltage, current), each piece runs to its end
// voltage with its slope on the log-log plot; the points are the piece ends.
struct Piece {
    double endVoltage;
    double slope;
};
std::vector<CurvePoint> powerLaws(double voltage, double current, std::vector<Piece> pieces) {
    std::vector<CurvePoint> points{{static_cast<float>(current), static_cast<float>(voltage)}};
    for (const Piece& piece : pieces) {
        current *= std::pow(piece.endVoltage / voltage, piece.slope);
        voltage = piece.endVoltage;
        points.push_back({static_cast<float>(current), static_cast<float>(voltage)});
    }
    return points;
}

// The knee of a curve whose slope on the log-log plot steps from n1 to n2 at voltage vb, when
// [Ek, 1.1 Ek] straddles vb: ln I(1.1 Ek) - ln I(Ek) = n1 ln(vb/Ek) + n2 ln(1.1 Ek/vb) = ln 1.5.
double kneeAtSlopeStep(double vb, double n1, double n2) {
    return vb / 1.1 * std::pow(1.5 / std::pow(1.1, n1), 1 / (n2 - n1));
}

TEST(KneePointTest, TheDemoCurveHasItsKneeAt138Point4Volts) {
    const auto knee = FindKneePoint(kDemoCurve);
    ASSERT_TRUE(knee);
    EXPECT_NEAR(knee->voltage, 138.444, 0.001);
    EXPECT_NEAR(knee->current, 0.062229, 0.000001);
    EXPECT_EQ(KneePointLine(knee), "Knee point (IEC 61869-2): 138.4 V at 0.0622 A");
}

TEST(KneePointTest, KneeOfPowerLawPiecesIsTheClosedForm) {
    struct Case {
        const char* name;
        std::vector<CurvePoint> points;
        double voltage; // the knee in closed form
        double current;
    };
    // Slopes 1 then 10 at 100 V, with points on either side that do not change the line.
    const double sharp = kneeAtSlopeStep(100, 1, 10);
    // Slopes 2 then 6 at 50 V, starting at 5 V / 1 mA.
    const double soft = kneeAtSlopeStep(50, 2, 6);
    const std::vector<Case> cases{
        {"sharp", powerLaws(10, 0.001, {{40, 1}, {100, 1}, {200, 10}}), sharp, 0.001 * sharp / 10},
        {"soft", powerLaws(5, 0.001, {{50, 2}, {60, 6}, {70, 6}}), soft,
         0.001 * std::pow(soft / 5, 2)},
        // A second, later knee (the slope falls back to 1 and rises again): the least one counts.
        {"two knees", powerLaws(10, 0.001, {{100, 1}, {150, 10}, {1000, 1}, {1500, 10}}), sharp,
         0.001 * sharp / 10},
        // The knee exactly where h reaches zero at a measured voltage: slope 1 to 100 V, then
        // the 10 % step from 100 V to 110 V raises the current by exactly 50 %.
        {"root on a break point",
         powerLaws(10, 0.001, {{100, 1}, {110, std::log(1.5) / std::log(1.1)}, {150, 1}}), 100,
         0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto knee = FindKneePoint(c.points);
        ASSERT_TRUE(knee);
        EXPECT_NEAR(knee->voltage, c.voltage, c.voltage * 1e-5);
        EXPECT_NEAR(knee->current, c.current, c.current * 1e-5);
    }
}

TEST(KneePointTest, NoKneeWithinTheMeasuredPoints) {
    struct Case {
        const char* name;
        std::vector<CurvePoint> points;
    };
    const std::vector<Case> cases{
        // ln 1.5 / ln 1.1 = 4.25: a steady slope below never raises the current by 50 % ...
        {"below its knee throughout", powerLaws(10, 0.001, {{100, 4}, {1000, 4}})},
        // ... and one above is past its knee from the first point on.
        {"past its knee at the first point", powerLaws(10, 0.001, {{100, 5}, {1000, 1}})},
        {"past its knee, then flat", powerLaws(10, 0.001, {{12, 8}, {100, 1}})},
        {"last voltage below 1.1 times the first", {{0.01f, 100}, {1.0f, 109}}},
        {"no points", {}},
        {"one point", {{0.01f, 100}}},
        {"zeros", {{0, 0}, {0, 0}, {0, 0}}},
        {"one usable point among zeros", {{0, 0}, {0.01f, 100}, {0, 0}}},
        {"NaN", {{kNaN, 10}, {kNaN, 100}, {0.5f, kNaN}}},
        {"infinite", {{0.001f, kInf}, {kInf, 200}, {0.01f, 100}}},
        {"negative", {{-0.01f, 10}, {-0.1f, 100}, {0.01f, -100}}},
        {"repeated point", {{0.005f, 20.1f}, {0.01f, 45.3f}, {0.01f, 45.3f}, {0.6f, 178.9f}}},
        {"equal voltages", {{0.005f, 20.1f}, {0.01f, 45.3f}, {0.02f, 45.3f}, {0.6f, 178.9f}}},
        {"current falls", {{0.005f, 20.1f}, {0.04f, 45.3f}, {0.02f, 82.6f}, {0.6f, 178.9f}}},
        {"current stands still", {{0.005f, 20.1f}, {0.02f, 45.3f}, {0.02f, 82.6f}, {0.6f, 178.9f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto knee = FindKneePoint(c.points);
        EXPECT_FALSE(knee) << knee->voltage << " V at " << knee->current << " A";
    }
    EXPECT_EQ(KneePointLine(std::nullopt),
              "Knee point (IEC 61869-2): none within the measured points");
}

TEST(KneePointTest, OrderAndUnusablePointsDoNotMoveTheKnee) {
    std::vector<CurvePoint> shuffled = kDemoCurve;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[1], shuffled[5]);
    std::vector<CurvePoint> padded = kDemoCurve;
    padded.insert(padded.begin() + 3, {{0, 0}, {kNaN, 50}, {0.1f, kInf}, {-1, 60}});
    padded.push_back({0, 0});

    const auto expected = FindKneePoint(kDemoCurve);
    ASSERT_TRUE(expected);
    for (const auto& points : {shuffled, padded}) {
        const auto knee = FindKneePoint(points);
        ASSERT_TRUE(knee);
        EXPECT_DOUBLE_EQ(knee->voltage, expected->voltage);
        EXPECT_DOUBLE_EQ(knee->current, expected->current);
    }
    const auto usable = UsableCurveSamples(padded);
    ASSERT_EQ(usable.size(), kDemoCurve.size());
    for (std::size_t i = 0; i < usable.size(); ++i) {
        EXPECT_EQ(usable[i].voltage, static_cast<double>(kDemoCurve[i].voltage));
        EXPECT_EQ(usable[i].current, static_cast<double>(kDemoCurve[i].current));
    }
}

// ln I at voltage v on the straight log-log lines through `points` (sorted, rising), computed
// here without the break-point pieces of the program.
double lnCurrentAt(const std::vector<CurvePoint>& points, double v) {
    std::size_t k = 1;
    while (k + 1 < points.size() && v > static_cast<double>(points[k].voltage)) {
        ++k;
    }
    const double x0 = std::log(static_cast<double>(points[k - 1].voltage));
    const double x1 = std::log(static_cast<double>(points[k].voltage));
    const double y0 = std::log(static_cast<double>(points[k - 1].current));
    const double y1 = std::log(static_cast<double>(points[k].current));
    return y0 + (y1 - y0) * (std::log(v) - x0) / (x1 - x0);
}

TEST(KneePointTest, OnRandomCurvesTheKneeIsTheFirstVoltageWhereTenPercentGiveFiftyPercent) {
    std::mt19937 random(61869);
    std::uniform_real_distribution<double> voltageStep(1.02, 1.6);
    std::uniform_real_distribution<double> slope(0.3, 12);
    int withKnee = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::vector<CurvePoint> points;
        double v = 10;
        double i = 0.001;
        for (int n = 0; n < 10; ++n) {
            points.push_back({static_cast<float>(i), static_cast<float>(v)});
            const double factor = voltageStep(random);
            i *= std::pow(factor, slope(random));
            v *= factor;
        }
        const auto knee = FindKneePoint(points);
        const double first = static_cast<double>(points.front().voltage);
        const double last = static_cast<double>(points.back().voltage);
        const auto h = [&](double at) {
            return lnCurrentAt(points, 1.1 * at) - lnCurrentAt(points, at) - std::log(1.5);
        };
        if (!knee) {
            // Either past the knee at the first point, or never reaching it.
            if (h(first) < 0) {
                for (double at = first; at * 1.1 <= last; at *= 1.0005) {
                    ASSERT_LT(h(at), 0) << at;
                }
            }
            continue;
        }
        ++withKnee;
        EXPECT_NEAR(h(knee->voltage), 0, 1e-9);
        EXPECT_NEAR(std::log(knee->current), lnCurrentAt(points, knee->voltage), 1e-9);
        for (double at = first; at < knee->voltage * (1 - 1e-9); at *= 1.0005) {
            ASSERT_LT(h(at), 0) << at;
        }
    }
    EXPECT_GT(withKnee, 100);
}

} // namespace
} // namespace varne
