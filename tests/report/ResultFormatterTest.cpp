#include "report/ResultFormatter.h"

#include "report/ReportImage.h"
#include "report/ReportImageBuilder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace varne {
namespace {

constexpr float kAbsent = 999999.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct Formatted {
    std::string heading;
    std::string result;
};

EntryFields codes(std::uint8_t testType, std::uint8_t subType, std::uint8_t option) {
    EntryFields fields;
    fields.testType = testType;
    fields.subType = subType;
    fields.option = option;
    return fields;
}

Formatted format(const ReportImageBuilder& builder, std::size_t index, const EntryFields& f,
                 std::uint8_t handshake) {
    Formatted out{"stale heading", "stale result"};
    CResultFormatter(ReportImage(builder.image()), handshake)
        .FormatRecord(f.testType, f.subType, f.option, index, out.heading, out.result);
    return out;
}

struct Case {
    const char* what;
    std::uint8_t testType;
    std::uint8_t subType;
    std::uint8_t option;
    float v1;
    float v2;
    float v3;
    std::string heading;
    std::string result;
};

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        ReportImageBuilder builder;
        const EntryFields f = codes(c.testType, c.subType, c.option);
        builder.entry(7, f).values(7, c.v1, c.v2, c.v3);
        const Formatted out = format(builder, 7, f, 7);
        EXPECT_EQ(out.heading, c.heading) << c.what;
        EXPECT_EQ(out.result, c.result) << c.what;
    }
}

TEST(ResultFormatter, PickUp) {
    expectCases({
        {"three lines", 0, 0, 0, 1.5f, 1.25f, 0.75f, "Pick Up\n AC-I1",
         "Pick up:  1.500A\nDrop off:  1.250A\nRatio:  0.750"},
        {"ratio clamped", 0, 0, 0, 1.5f, 1.25f, 12345.0f, "Pick Up\n AC-I1",
         "Pick up:  1.500A\nDrop off:  1.250A\nRatio:  9999.999"},
        {"no drop-off", 0, 0, 0, 1.5f, kAbsent, 0.75f, "Pick Up\n AC-I1",
         "Pick up:  1.500A\nRatio:  0.750"},
        {"just below absent", 0, 2, 0, 999998.9375f, kAbsent, kAbsent, "Pick Up\n AC-U1",
         "Pick up:  999998.938V\n"},
        {"nothing measured", 0, 0, 0, kAbsent, kAbsent, kAbsent, "Pick Up\n AC-I1", ""},
        {"boundaries", 0, 1, 3, 10.0f, 20.0f, 30.0f, "Pick Up\n AC-Test",
         "Boundary1:  10.000deg\nBoundary2:  20.000deg\nMS Angle:  30.000deg"},
        {"frequency on I3", 0, 5, 2, 50.0f, 49.5f, 0.99f, "Pick Up\n AC-I3",
         "Pick up:  50.000Hz\nDrop off:  49.500Hz\nRatio:  0.990"},
        {"unknown channel", 0, 9, 0, 1.0f, kAbsent, kAbsent, "Pick Up\nUnknown (9)",
         "Pick up:  1.000\n"},
    });
}

TEST(ResultFormatter, PickUnitsByChannelAndOption) {
    struct UnitCase {
        std::uint8_t testType, subType, option;
        const char* unit;
        const char* unit3;
    };
    const std::vector<UnitCase> cases{
        {0, 0, 9, "A", ""},      {0, 1, 0, "V", ""},  {0, 1, 1, "A", ""},   {0, 1, 2, "Hz", ""},
        {0, 1, 3, "deg", "deg"}, {0, 1, 4, "", ""},   {0, 2, 255, "V", ""}, {0, 3, 0, "V", ""},
        {0, 3, 1, "A", ""},      {0, 3, 2, "", ""},   {0, 4, 3, "V", ""},   {0, 5, 2, "Hz", ""},
        {0, 5, 0, "mA", ""},     {0, 5, 3, "mA", ""}, {0, 6, 1, "mA", ""},  {0, 7, 0, "", ""},
        {10, 0, 0, "", ""},      {2, 1, 3, "", ""},
    };
    for (const UnitCase& c : cases) {
        std::string unit1 = "x", unit2 = "x", unit3 = "x";
        CResultFormatter::PickUnits(c.testType, c.subType, c.option, unit1, unit2, unit3);
        SCOPED_TRACE(testing::Message()
                     << int{c.testType} << "/" << int{c.subType} << "/" << int{c.option});
        EXPECT_EQ(unit1, c.unit);
        EXPECT_EQ(unit2, c.unit);
        EXPECT_EQ(unit3, c.unit3);
    }
}

TEST(ResultFormatter, TimeEncodingBoundaries) {
    const std::string h = "Trip Time\nAC-I1";
    expectCases({
        {"seconds", 2, 0, 0, 0.5f, 0, 0, h, "Trip Time:  0.500s"},
        {"count", 2, 0, 0, 200012.5f, 0, 0, h, "Trip Time:  12.50C"},
        {"count just below 99999.985", 2, 0, 0, 299999.96875f, 0, 0, h, "Trip Time:  99999.97C"},
        {"count above 99999.985", 2, 0, 0, 300000.0f, 0, 0, h, "Trip Time:  100000.0C"},
        {"200000 is a time, too long to show", 2, 0, 0, 200000.0f, 0, 0, h, ""},
        {"long time", 2, 0, 0, 15000.0f, 0, 0, h, ""},
        {"longest shown time", 2, 0, 0, 9999.998046875f, 0, 0, h, "Trip Time:  9999.998s"},
        {"just above 9999.9985", 2, 0, 0, 9999.9990234375f, 0, 0, h, ""},
        {"absent", 2, 0, 0, kAbsent, 0, 0, h, ""},
        {"largest count", 2, 0, 0, 999998.9375f, 0, 0, h, "Trip Time:  799998.9C"},
        {"NaN", 2, 0, 0, kNaN, 0, 0, h, ""},
        {"Udc channel", 2, 2, 0, 1.0f, 0, 0, "Trip Time\n Udc ", "Trip Time:  1.000s"},
        {"timer T1", 4, 0, 0, 0.5f, 0, 0, "Timer\nSingle Channel T1", "Time:  0.500s"},
        {"timer T1-T2", 4, 1, 0, 200001.0f, 0, 0, "Timer\nDouble Channel T1-T2", "Time:  1.00C"},
        {"unknown timer mode", 4, 2, 0, 0.5f, 0, 0, "Timer\nUnknown (2)", ""},
        {"trip and pulse", 12, 6, 0, 0.5f, 0.125f, 0, "Trip time+Pulse length\nAC-U1",
         "Trip Time:  0.500s\nPulse:  0.125s\n"},
        {"trip and pulse, no pulse", 12, 1, 0, 0.5f, kAbsent, 0, "Trip time+Pulse length\nAC Test",
         "Trip Time:  0.500s\n"},
    });
}

TEST(ResultFormatter, CtTest) {
    const int kMax = std::numeric_limits<int>::max();
    const int kMin = std::numeric_limits<int>::min();
    expectCases({
        {"ratio", 5, 0, 0, 600.0f, 5.0f, 0, "CT Test\nRatio", "Ratio:   600/ 5"},
        {"ratio rounds half up", 5, 0, 0, 599.5f, 0.49f, 0, "CT Test\nRatio", "Ratio:   600/ 0"},
        {"ratio of absent values", 5, 0, 0, kAbsent, kAbsent, 0, "CT Test\nRatio",
         "Ratio: 999999/999999"},
        {"ratio beyond int", 5, 0, 0, 3e9f, -kInf, 0, "CT Test\nRatio",
         "Ratio: " + std::to_string(kMax) + "/" + std::to_string(kMin)},
        {"ratio NaN", 5, 0, 0, kNaN, kInf, 0, "CT Test\nRatio",
         "Ratio:     0/" + std::to_string(kMax)},
        {"positive", 5, 1, 0, 999.0625f, 0, 0, "CT Test\nPolarity", "Positive Polarity"},
        {"999 is negative", 5, 1, 0, 999.0f, 0, 0, "CT Test\nPolarity", "Negative Polarity"},
        {"winding", 5, 2, 0, 1234.4f, 1500.6f, 0, "CT Test\nWinding Resistance",
         "Resistance: 1234mohm\n75deg: 1501mohm"},
        {"unknown CT test", 5, 4, 0, 1.0f, 1.0f, 0, "CT Test\nUnknown (4)", ""},
    });
}

TEST(ResultFormatter, ExcitationCurve) {
    const std::string p1 = "1.000A/100.000V", p2 = "2.000A/200.000V", p3 = "3.000A/300.000V",
                      p4 = "4.000A/400.000V", p5 = "5.000A/500.000V", p6 = "6.000A/600.000V",
                      p7 = "7.000A/700.000V", p8 = "8.000A/800.000V", p9 = "9.000A/900.000V",
                      p10 = "10.000A/1000.000V";
    const std::string sixPoints = p1 + "   " + p2 + "\n" + p3 + "   " + p4 + "\n" + p5 + "   " + p6;
    struct CurveCase {
        std::uint8_t handshake;
        std::int8_t pointCount;
        std::string result;
    };
    const std::vector<CurveCase> cases{
        {6, 9, sixPoints},
        {0x80, 9, sixPoints},
        {6, -1, sixPoints},
        {7, -1, ""},
        {7, 0, ""},
        {7, 3, p1 + "   " + p2 + "   \n" + p3 + "   "},
        {7, 6, p1 + "   " + p2 + "   \n" + p3 + "   " + p4 + "   \n" + p5 + "   " + p6 + "   \n"},
        {7, 8, sixPoints + "\n" + p7 + "   " + p8 + "   \n"},
        {7, 9, sixPoints + "\n" + p7 + "   " + p8 + "   \n" + p9 + "   "},
        {7, 10, sixPoints + "\n" + p7 + "   " + p8 + "   \n" + p9 + "   " + p10 + "   \n"},
        {7, 12, sixPoints + "\n" + p7 + "   " + p8 + "   \n" + p9 + "   " + p10 + "   \n"},
    };
    std::vector<std::pair<float, float>> points;
    for (int p = 1; p <= 10; ++p) {
        points.emplace_back(static_cast<float>(p), static_cast<float>(100 * p));
    }
    for (const CurveCase& c : cases) {
        ReportImageBuilder builder;
        const EntryFields f = codes(5, 3, 0);
        builder.entry(12, f).curve(12, points, c.pointCount);
        // Bytes beyond the tenth point must never be taken for an eleventh.
        builder.floatAt(ReportImageBuilder::extensionOffset(12) + 36, 11.0f);
        const Formatted out = format(builder, 12, f, c.handshake);
        EXPECT_EQ(out.heading, "CT Test\nExcitation Curve");
        EXPECT_EQ(out.result, c.result)
            << "handshake " << int{c.handshake} << ", count " << int{c.pointCount};
    }
}

TEST(ResultFormatter, Advanced) {
    expectCases({
        {"differential", 8, 0, 0, 1.25f, 2.5f, 0.5f, "Advanced\nDifferential",
         "Trip I1:  1.25A\n     I2:  2.50A\nTime:  0.500s"},
        {"differential, nothing", 8, 0, 0, kAbsent, kAbsent, kAbsent, "Advanced\nDifferential", ""},
        {"df/dt time", 8, 1, 0, 0.25f, 0, 0, "Advanced\nDf/Dt", "Time: 0.250s"},
        {"df/dt count", 8, 1, 0, 200012.5f, 0, 0, "Advanced\nDf/Dt", "Time:  12.50C"},
        {"df/dt below marker", 8, 1, 0, 649999.9375f, 0, 0, "Advanced\nDf/Dt", "Time:  449999.9C"},
        {"df/dt marker", 8, 1, 0, 650000.0f, 0, 0, "Advanced\nDf/Dt",
         "Operating Frequency>Operate Frequency"},
        {"df/dt absent is the marker", 8, 1, 0, kAbsent, 0, 0, "Advanced\nDf/Dt",
         "Operating Frequency>Operate Frequency"},
        {"df/dt long time", 8, 1, 0, 15000.0f, 0, 0, "Advanced\nDf/Dt", ""},
        {"synchronizing", 8, 2, 0, 100.0f, 99.5f, 30.0f, "Advanced\nSynchronizing",
         "Trip U1:  100.00V\n     U2:  99.50V\nDelta Angl:  30.0\xA1\xE3"},
        {"synchronizing, no angle", 8, 2, 0, 100.0f, kAbsent, kAbsent, "Advanced\nSynchronizing",
         "Trip U1:  100.00V\n"},
        {"harmonic", 8, 3, 0, 15.0f, 0, 0, "Advanced\nHarmonic", "Harmonic coefficients:15.000%"},
        {"harmonic 99.99", 8, 3, 0, 99.99f, 0, 0, "Advanced\nHarmonic",
         "Harmonic coefficients:99.990%"},
        {"harmonic over range", 8, 3, 0, 100.0f, 0, 0, "Advanced\nHarmonic",
         "Harmonic coefficients:>99.99%"},
        {"reclose", 8, 4, 0, 0.5f, 0.125f, 0.25f, "Advanced\nRecloseing",
         "Time:  0.500s\nPulse:  0.125s\n"},
        {"reclose with acceleration", 8, 4, 1, 0.5f, 0.125f, 0.25f, "Advanced\nRecloseing",
         "Time:  0.500s\nPulse:  0.125s\nAccTrip:  0.250s\n"},
        {"motor overload", 8, 5, 0, 1.0f, 0, 0, "Advanced\nMotor overload", "Time:  1.000s"},
        {"unknown advanced test", 8, 6, 0, 1.0f, 0, 0, "Advanced\nUnknown (6)", ""},
    });
}

TEST(ResultFormatter, AutoTest) {
    expectCases({
        {"linear ramp", 10, 2, 0, 2.0f, 17.0f, 0.95f, "Auto Test\nLinear Ramp\n AC-U1",
         "Pick up:  2.000V\nDrop off:  1.900V\nRatio:  0.950"},
        {"drop-off in double precision", 10, 2, 0, 1e7f, 24.0f, 1.1f,
         "Auto Test\nLinear Ramp\n AC-I3",
         "Pick up:  10000000.000mA\nDrop off:  11000000.238mA\nRatio:  1.100"},
        {"no drop-off", 10, 2, 0, 2.0f, 15.0f, kAbsent, "Auto Test\nLinear Ramp\n AC-I1",
         "Pick up:  2.000A\n"},
        {"pick-up without absent test", 10, 2, 0, kAbsent, 20.0f, kAbsent,
         "Auto Test\nLinear Ramp\n AC-I2", "Pick up:  999999.000A\n"},
        {"pulse ramp", 10, 3, 0, 2.0f, 18.9f, 0.5f, "Auto Test\nPulse Ramp\nUdc-2.5A",
         "Pick up:  2.000V"},
        {"shot", 10, 1, 0, 2.0f, 16.0f, 0.5f, "Auto Test\nShot\n AC-I1", ""},
        {"empty ramp name", 10, 0, 0, 2.0f, 25.9f, 0.5f, "Auto Test\n\n DC-I3", ""},
        {"channel below 15", 10, 3, 0, 2.0f, 14.9f, 0, "Auto Test\nPulse Ramp\nUnknown (14)",
         "Pick up:  2.000"},
        {"channel above 25", 10, 3, 0, 2.0f, 26.0f, 0, "Auto Test\nPulse Ramp\nUnknown (26)",
         "Pick up:  2.000"},
        {"channel NaN", 10, 3, 0, 2.0f, kNaN, 0, "Auto Test\nPulse Ramp\nUnknown (0)",
         "Pick up:  2.000"},
        {"unknown ramp", 10, 7, 0, 2.0f, 22.0f, 0, "Auto Test\nUnknown (7)\n DC-I2", ""},
    });
}

TEST(ResultFormatter, UnhandledTypesAreUnknownTests) {
    for (const int type : {1, 3, 6, 7, 9, 11, 13, 14, 255}) {
        expectCases({{"unhandled", static_cast<std::uint8_t>(type), 0, 0, 1.0f, 1.0f, 1.0f,
                      "Unknown Test", ""}});
    }
}

TEST(ResultFormatter, HeadingNamesEveryListedSubtype) {
    struct Table {
        std::uint8_t testType;
        std::string typeName;
        std::vector<std::string> subTypes;
    };
    const std::vector<Table> tables{
        {0, "Pick Up", {" AC-I1", " AC-Test", " AC-U1", " DC-Test", " Udc ", " AC-I3", " DC-I3"}},
        {2, "Trip Time", {"AC-I1", "AC Test", " Udc ", "DC Test", "AC-I3", "DC-I3", "AC-U1"}},
        {4, "Timer", {"Single Channel T1", "Double Channel T1-T2"}},
        {5, "CT Test", {"Ratio", "Polarity", "Winding Resistance", "Excitation Curve"}},
        {8,
         "Advanced",
         {"Differential", "Df/Dt", "Synchronizing", "Harmonic", "Recloseing", "Motor overload"}},
        {12,
         "Trip time+Pulse length",
         {"AC-I1", "AC Test", " Udc ", "DC Test", "AC-I3", "DC-I3", "AC-U1"}},
    };
    for (const Table& t : tables) {
        for (std::size_t sub = 0; sub < t.subTypes.size(); ++sub) {
            ReportImageBuilder builder;
            const EntryFields f = codes(t.testType, static_cast<std::uint8_t>(sub), 0);
            builder.entry(0, f);
            EXPECT_EQ(format(builder, 0, f, 7).heading, t.typeName + "\n" + t.subTypes[sub]);
        }
    }
    const std::vector<std::string> channels{" AC-I1",   " AC-I1", " AC-U1", "Udc-2.5A",
                                            "Udc-0.5A", " AC-I2", " AC-U2", " DC-I2",
                                            " DC-U2",   " AC-I3", " DC-I3"};
    for (std::size_t c = 0; c < channels.size(); ++c) {
        ReportImageBuilder builder;
        const EntryFields f = codes(10, 2, 0);
        builder.entry(0, f).values(0, 1.0f, static_cast<float>(15 + c), kAbsent);
        EXPECT_EQ(format(builder, 0, f, 7).heading, "Auto Test\nLinear Ramp\n" + channels[c]);
    }
}

// Whatever floats the tester sends, every record still formats without undefined behaviour
// (the sanitizer build checks that) into a heading and a bounded result.
TEST(ResultFormatter, NonFiniteAndHugeValuesStayAReport) {
    const std::vector<float> odd{
        kNaN, kInf, -kInf, std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
        -0.0f};
    std::vector<std::pair<float, float>> points(10, {kNaN, kInf});
    for (std::uint8_t type = 0; type <= 14; ++type) {
        for (std::uint8_t sub = 0; sub <= 7; ++sub) {
            for (const float value : odd) {
                ReportImageBuilder builder;
                const EntryFields f = codes(type, sub, sub % 2 == 0 ? 3 : 1);
                builder.entry(0, f).curve(0, points, 10).values(0, value, value, value);
                const Formatted out = format(builder, 0, f, 7);
                EXPECT_FALSE(out.heading.empty());
                EXPECT_LT(out.result.size(), 1024u);
            }
        }
    }
}

} // namespace
} // namespace varne
