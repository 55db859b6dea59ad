#include "pdf/CurvePlot.h"

#include <gtest/gtest.h>

namespace varne {
namespace {

TEST(CurvePlotTest, AxesRunOverWholeDecadesAroundTheValues) {
    struct Case {
        double low, high;
        int first, last;
    };
    for (const Case& c : std::initializer_list<Case>{
             {0.005, 0.6, -3, 0},    // the demo curve's currents
             {20.1, 178.9, 1, 3},    // and its voltages
             {100, 100, 2, 3},       // one value: one decade
             {0.01, 1000, -2, 3},    // exact powers of ten stay the ends
             {1e-30, 1e35, -30, 35}, // far apart
         }) {
        const LogAxis axis = LogAxis::covering(c.low, c.high);
        EXPECT_EQ(axis.firstDecade, c.first) << c.low;
        EXPECT_EQ(axis.lastDecade, c.last) << c.high;
        EXPECT_GE(axis.fraction(c.low), 0);
        EXPECT_LE(axis.fraction(c.high), 1);
    }
}

TEST(CurvePlotTest, DecadeLabelsArePlainNumbersNearOneAndPowersFarFromIt) {
    EXPECT_EQ(DecadeLabel(-3), "0.001");
    EXPECT_EQ(DecadeLabel(-1), "0.1");
    EXPECT_EQ(DecadeLabel(0), "1");
    EXPECT_EQ(DecadeLabel(3), "1000");
    EXPECT_EQ(DecadeLabel(-7), "1e-7");
    EXPECT_EQ(DecadeLabel(9), "1e9");
}

} // namespace
} // namespace varne
