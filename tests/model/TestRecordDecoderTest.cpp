#include "report/model/TestRecordDecoder.h"

#include "report/RecordTexts.h"
#include "report/ReportImage.h"
#include "report/ReportImageBuilder.h"
#include "report/WordText.h"
#include "sim/DemoImage.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace varne {
namespace {

constexpr float kAbsent = 999999.0F;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
constexpr std::size_t kSlot = 7;

struct Expected {
    const char* name;
    float value;
    const char* unit;
};

EntryFields codes(std::uint8_t testType, std::uint8_t subType, std::uint8_t option) {
    EntryFields fields;
    fields.year = 24;
    fields.month = 5;
    fields.day = 14;
    fields.testType = testType;
    fields.subType = subType;
    fields.option = option;
    return fields;
}

TestRecord decodeOnly(const std::vector<std::uint8_t>& image, std::uint8_t handshake = 7) {
    const std::vector<TestRecord> records = DecodeTestRecords(ReportImage(image), handshake);
    EXPECT_EQ(records.size(), 1U);
    return records.empty() ? TestRecord{} : records.front();
}

TestRecord decodeOne(const EntryFields& fields, float v1, float v2, float v3,
                     std::uint8_t handshake = 7) {
    ReportImageBuilder builder;
    builder.entry(kSlot, fields).values(kSlot, v1, v2, v3);
    return decodeOnly(builder.image(), handshake);
}

void expectQuantities(const TestRecord& record, const std::vector<Expected>& wanted) {
    ASSERT_EQ(record.quantities.size(), wanted.size()) << record.heading << "\n" << record.result;
    for (std::size_t q = 0; q < wanted.size(); ++q) {
        SCOPED_TRACE(wanted[q].name);
        EXPECT_EQ(record.quantities[q].name, wanted[q].name);
        EXPECT_EQ(record.quantities[q].unit, wanted[q].unit);
        const double value = record.quantities[q].value;
        const double want = static_cast<double>(wanted[q].value);
        if (std::isnan(want)) {
            EXPECT_TRUE(std::isnan(value)) << value;
        } else {
            EXPECT_EQ(value, want);
        }
    }
}

TEST(TestRecordDecoder, DemoImageRecordByRecord) {
    const std::vector<std::uint8_t> image = demoReportImage();
    const std::vector<TestRecord> records = DecodeTestRecords(ReportImage(image), 7);

    struct DemoRecord {
        std::size_t slot;
        const char* kind;
        const char* subkind;
        std::vector<Expected> quantities;
    };
    // The drop-off of an Auto Test is the product the report prints, in double precision.
    const float autoDropOff = 0.952F * 1.004F;
    const std::vector<DemoRecord> wanted{
        {0,
         "Pick Up",
         " AC-I1",
         {{"Pick up", 1.002F, "A"}, {"Drop off", 0.953F, "A"}, {"Ratio", 0.951F, ""}}},
        {1,
         "Pick Up",
         " AC-I1",
         {{"Pick up", 5.012F, "A"}, {"Drop off", 4.771F, "A"}, {"Ratio", 0.952F, ""}}},
        {2, "Trip Time", "AC-I1", {{"Trip Time", 0.312F, "s"}}},
        {3, "Trip Time", "AC-I1", {{"Trip Time", 0.048F, "s"}}},
        {4,
         "Pick Up",
         " AC-U1",
         {{"Pick up", 80.05F, "V"}, {"Drop off", 82.11F, "V"}, {"Ratio", 1.026F, ""}}},
        {5,
         "Pick Up",
         " AC-Test",
         {{"Pick up", 49.5F, "Hz"}, {"Drop off", 49.6F, "Hz"}, {"Ratio", 1.002F, ""}}},
        {6,
         "Pick Up",
         " AC-Test",
         {{"Boundary1", 134.6F, "deg"}, {"Boundary2", -44.2F, "deg"}, {"MS Angle", 45.2F, "deg"}}},
        {7,
         "Pick Up",
         " DC-Test",
         {{"Pick up", 77.3F, "V"}, {"Drop off", 41.2F, "V"}, {"Ratio", 0.533F, ""}}},
        {8, "Pick Up", " Udc ", {{"Pick up", 68.5F, "V"}}},
        {9,
         "Pick Up",
         " AC-I3",
         {{"Pick up", 20.15F, "mA"}, {"Drop off", 18.3F, "mA"}, {"Ratio", 0.908F, ""}}},
        {10,
         "Pick Up",
         " DC-I3",
         {{"Pick up", 10.2F, "mA"}, {"Drop off", 6.1F, "mA"}, {"Ratio", 0.598F, ""}}},
        {11, "Trip Time", " Udc ", {{"Trip Time", 0.0185F, "s"}}},
        {12, "Timer", "Single Channel T1", {{"Time", 0.062F, "s"}}},
        {14, "Timer", "Double Channel T1-T2", {{"Time", 0.215F, "s"}}},
        {15, "CT Test", "Ratio", {{"Ratio primary", 599.8F, ""}, {"Ratio secondary", 5.0F, ""}}},
        {16, "CT Test", "Polarity", {}},
        {17,
         "CT Test",
         "Winding Resistance",
         {{"Resistance", 312.4F, "mohm"}, {"75deg", 379.8F, "mohm"}}},
        {18, "CT Test", "Excitation Curve", {}},
        {19,
         "Advanced",
         "Differential",
         {{"Trip I1", 1.25F, "A"}, {"I2", 0.52F, "A"}, {"Time", 0.035F, "s"}}},
        {20, "Advanced", "Df/Dt", {{"Time", 0.182F, "s"}}},
        {21,
         "Advanced",
         "Synchronizing",
         {{"Trip U1", 57.32F, "V"}, {"U2", 56.1F, "V"}, {"Delta Angl", 9.8F, "\u00B0"}}},
        {22, "Advanced", "Harmonic", {{"Harmonic coefficients", 15.2F, "%"}}},
        {23,
         "Advanced",
         "Recloseing",
         {{"Time", 0.305F, "s"}, {"Pulse", 0.102F, "s"}, {"AccTrip", 0.041F, "s"}}},
        {24, "Advanced", "Motor overload", {{"Time", 42.75F, "s"}}},
        {25,
         "Auto Test",
         "Linear Ramp",
         {{"Pick up", 1.004F, "A"}, {"Drop off", autoDropOff, "A"}, {"Ratio", 0.952F, ""}}},
        {26, "Auto Test", "Pulse Ramp", {{"Pick up", 63.42F, "V"}}},
        {27, "Auto Test", "Shot", {}},
        {28,
         "Trip time+Pulse length",
         "AC-I1",
         {{"Trip Time", 0.087F, "s"}, {"Pulse", 0.12F, "s"}}},
        {29,
         "Trip time+Pulse length",
         "DC Test",
         {{"Trip Time", 0.0235F, "s"}, {"Pulse", 0.25F, "s"}}},
    };
    ASSERT_EQ(records.size(), wanted.size());
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const TestRecord& r = records[k];
        const DemoRecord& w = wanted[k];
        SCOPED_TRACE(testing::Message() << "slot " << w.slot);
        EXPECT_EQ(r.slot, w.slot);
        EXPECT_EQ(r.kind, w.kind);
        EXPECT_EQ(r.subkind, w.subkind);
        const DirectoryEntry entry = ReportImage(image).entry(w.slot);
        EXPECT_EQ(r.type, entry.testType);
        EXPECT_EQ(r.subtype, entry.subType);
        EXPECT_EQ(r.option, entry.option);
        ASSERT_TRUE(r.testedAt.has_value());
        EXPECT_EQ(*r.testedAt, (TestTime{2024, 5, 14, entry.hour, entry.minute, entry.second}));
        if (w.slot == 25) {
            // The product is computed in double from the two stored floats.
            EXPECT_EQ(r.quantities.at(1).value,
                      static_cast<double>(0.952F) * static_cast<double>(1.004F));
            continue;
        }
        expectQuantities(r, w.quantities);
        if (w.slot != 18) {
            EXPECT_TRUE(r.curve.empty());
        }
    }

    const TestRecord& curve = records.at(17);
    ASSERT_EQ(curve.slot, 18U);
    const std::vector<std::pair<float, float>> points{
        {0.005F, 20.1F},  {0.010F, 45.3F},  {0.020F, 82.6F},  {0.040F, 121.8F},
        {0.080F, 148.9F}, {0.150F, 163.2F}, {0.300F, 172.5F}, {0.600F, 178.9F}};
    ASSERT_EQ(curve.curve.size(), points.size());
    for (std::size_t p = 0; p < points.size(); ++p) {
        EXPECT_EQ(curve.curve[p].current, points[p].first) << p;
        EXPECT_EQ(curve.curve[p].voltage, points[p].second) << p;
    }
}

TEST(TestRecordDecoder, TextsAreTheReportsOwnLinesInUtf8) {
    const std::vector<std::uint8_t> image = demoReportImage();
    for (const std::uint8_t handshake : {std::uint8_t{6}, std::uint8_t{7}}) {
        RecordTexts texts;
        collectRecordTexts(ReportImage(image), handshake, texts);
        const std::vector<TestRecord> records = DecodeTestRecords(ReportImage(image), handshake);
        ASSERT_EQ(records.size(), texts.m_nRecordCount);
        for (std::size_t k = 0; k < records.size(); ++k) {
            EXPECT_EQ(records[k].heading, texts.m_strHeading[k]) << k;
            EXPECT_EQ(records[k].date, texts.m_strDate[k]) << k;
            EXPECT_EQ(records[k].result, WordTextFromReportText(texts.m_strResult[k])) << k;
        }
    }
    const TestRecord sync = DecodeTestRecords(ReportImage(image), 7).at(20);
    EXPECT_EQ(sync.result, "Trip U1:  57.32V\n     U2:  56.10V\nDelta Angl:  9.8\u00B0");
    EXPECT_EQ(sync.heading, "Advanced\nSynchronizing");
    EXPECT_EQ(sync.date, "2024-05-14 11:28:36");
}

TEST(TestRecordDecoder, EdgeCases) {
    struct Case {
        const char* what;
        EntryFields fields;
        float v1, v2, v3;
        const char* kind;
        const char* subkind;
        std::vector<Expected> quantities;
    };
    const std::vector<Case> cases{
        {"no result at all", codes(0, 0, 0), kAbsent, kAbsent, kAbsent, "Pick Up", " AC-I1", {}},
        {"drop-off absent",
         codes(0, 0, 0),
         1.5F,
         kAbsent,
         0.75F,
         "Pick Up",
         " AC-I1",
         {{"Pick up", 1.5F, "A"}, {"Ratio", 0.75F, ""}}},
        {"ratio clamped in the text, stored in the record",
         codes(0, 0, 0),
         1.5F,
         1.25F,
         12345.0F,
         "Pick Up",
         " AC-I1",
         {{"Pick up", 1.5F, "A"}, {"Drop off", 1.25F, "A"}, {"Ratio", 12345.0F, ""}}},
        {"NaN gets no pick-up line",
         codes(0, 0, 0),
         kNaN,
         -kInf,
         0.5F,
         "Pick Up",
         " AC-I1",
         {{"Drop off", -kInf, "A"}, {"Ratio", 0.5F, ""}}},
        {"NaN printed by the harmonic line",
         codes(8, 3, 0),
         kNaN,
         0,
         0,
         "Advanced",
         "Harmonic",
         {{"Harmonic coefficients", kNaN, "%"}}},
        {"harmonic over range prints no number",
         codes(8, 3, 0),
         150.0F,
         0,
         0,
         "Advanced",
         "Harmonic",
         {}},
        {"count of the time encoding",
         codes(2, 0, 0),
         200012.5F,
         0,
         0,
         "Trip Time",
         "AC-I1",
         {{"Trip Time", 12.5F, "C"}}},
        {"time too long to show", codes(2, 0, 0), 15000.0F, 0, 0, "Trip Time", "AC-I1", {}},
        {"Df/Dt count",
         codes(8, 1, 0),
         200001.0F,
         0,
         0,
         "Advanced",
         "Df/Dt",
         {{"Time", 1.0F, "C"}}},
        {"Df/Dt frequency message", codes(8, 1, 0), 700000.0F, 0, 0, "Advanced", "Df/Dt", {}},
        {"recloseing without its third time",
         codes(8, 4, 0),
         0.5F,
         200002.0F,
         0.25F,
         "Advanced",
         "Recloseing",
         {{"Time", 0.5F, "s"}, {"Pulse", 2.0F, "C"}}},
        {"unknown type", codes(3, 2, 9), 1.0F, 2.0F, 3.0F, "Unknown Test", "Unknown (2)", {}},
        {"named but unhandled type",
         codes(13, 0, 0),
         1.0F,
         2.0F,
         3.0F,
         "Unknown Test",
         "Unknown (0)",
         {}},
        {"type beyond the table",
         codes(200, 255, 255),
         1.0F,
         2.0F,
         3.0F,
         "Unknown Test",
         "Unknown (255)",
         {}},
        {"unknown subtype",
         codes(0, 9, 0),
         1.0F,
         kAbsent,
         kAbsent,
         "Pick Up",
         "Unknown (9)",
         {{"Pick up", 1.0F, ""}}},
        {"unknown timer mode", codes(4, 2, 0), 0.5F, 0, 0, "Timer", "Unknown (2)", {}},
        {"auto test channel without a name",
         codes(10, 3, 0),
         2.0F,
         40.0F,
         0,
         "Auto Test",
         "Pulse Ramp",
         {{"Pick up", 2.0F, ""}}},
        {"auto test ramp 0", codes(10, 0, 0), 2.0F, 15.0F, 0, "Auto Test", "", {}},
        {"CT ratio of absent values is printed",
         codes(5, 0, 0),
         kAbsent,
         kAbsent,
         0,
         "CT Test",
         "Ratio",
         {{"Ratio primary", kAbsent, ""}, {"Ratio secondary", kAbsent, ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TestRecord r = decodeOne(c.fields, c.v1, c.v2, c.v3);
        EXPECT_EQ(r.slot, kSlot);
        EXPECT_EQ(r.type, c.fields.testType);
        EXPECT_EQ(r.subtype, c.fields.subType);
        EXPECT_EQ(r.option, c.fields.option);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.subkind, c.subkind);
        expectQuantities(r, c.quantities);
        EXPECT_TRUE(r.curve.empty());
    }
    EXPECT_EQ(decodeOne(codes(3, 2, 9), 1, 2, 3).heading, "Unknown Test");
    EXPECT_EQ(decodeOne(codes(3, 2, 9), 1, 2, 3).result, "");
}

TEST(TestRecordDecoder, TestTimeOnlyForRealDates) {
    struct Case {
        std::uint8_t year, month, day, hour, minute, second;
        std::optional<TestTime> time;
        const char* date;
    };
    const std::vector<Case> cases{
        {21, 3, 9, 14, 7, 30, TestTime{2021, 3, 9, 14, 7, 30}, "2021-03-09 14:07:30"},
        {0, 1, 1, 0, 0, 0, TestTime{2000, 1, 1, 0, 0, 0}, "2000-01-01 00:00:00"},
        {99, 12, 31, 23, 59, 59, TestTime{2099, 12, 31, 23, 59, 59}, "2099-12-31 23:59:59"},
        {24, 2, 29, 12, 0, 0, TestTime{2024, 2, 29, 12, 0, 0}, "2024-02-29 12:00:00"},
        {0, 2, 29, 12, 0, 0, TestTime{2000, 2, 29, 12, 0, 0}, "2000-02-29 12:00:00"},
        {23, 2, 29, 12, 0, 0, std::nullopt, "2023-02-29 12:00:00"},
        {24, 0x12, 9, 14, 7, 30, std::nullopt, "2024-18-09 14:07:30"},
        {24, 0, 9, 14, 7, 30, std::nullopt, "2024-00-09 14:07:30"},
        {24, 5, 0, 14, 7, 30, std::nullopt, "2024-05-00 14:07:30"},
        {24, 4, 31, 14, 7, 30, std::nullopt, "2024-04-31 14:07:30"},
        {24, 5, 14, 24, 0, 0, std::nullopt, "2024-05-14 24:00:00"},
        {24, 5, 14, 23, 60, 0, std::nullopt, "2024-05-14 23:60:00"},
        {24, 5, 14, 23, 59, 60, std::nullopt, "2024-05-14 23:59:60"},
        {100, 5, 14, 8, 0, 0, std::nullopt, "20100-05-14 08:00:00"},
        {255, 255, 255, 255, 255, 255, std::nullopt, "20255-255-255 255:255:255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        EntryFields fields = codes(2, 0, 0);
        fields.year = c.year;
        fields.month = c.month;
        fields.day = c.day;
        fields.hour = c.hour;
        fields.minute = c.minute;
        fields.second = c.second;
        const TestRecord r = decodeOne(fields, 0.5F, 0, 0);
        EXPECT_EQ(r.testedAt, c.time);
        EXPECT_EQ(r.date, c.date);
    }
}

TEST(TestRecordDecoder, CurveLayouts) {
    const std::vector<std::pair<float, float>> ten{{1, 10}, {2, 20}, {3, 30}, {4, 40}, {5, 50},
                                                   {6, 60}, {7, 70}, {8, 80}, {9, 90}, {10, 100}};
    struct Case {
        const char* what;
        std::uint8_t handshake;
        std::int8_t pointCount;
        std::size_t points;
    };
    const std::vector<Case> cases{
        {"six points below handshake 7, whatever the count", 6, 9, 6},
        {"a negative handshake value is below 7", 0x80, 9, 6},
        {"the count chooses with handshake 7", 7, 9, 9},
        {"fewer than six", 7, 3, 3},
        {"none", 7, 0, 0},
        {"a negative count gives none", 7, -3, 0},
        {"at most the ten the layout holds", 127, 12, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReportImageBuilder builder;
        builder.entry(kSlot, codes(5, 3, 0)).curve(kSlot, ten, c.pointCount);
        const TestRecord r = decodeOnly(builder.image(), c.handshake);
        EXPECT_EQ(r.kind, "CT Test");
        EXPECT_EQ(r.subkind, "Excitation Curve");
        EXPECT_TRUE(r.quantities.empty());
        ASSERT_EQ(r.curve.size(), c.points);
        for (std::size_t p = 0; p < c.points; ++p) {
            EXPECT_EQ(r.curve[p].current, ten[p].first);
            EXPECT_EQ(r.curve[p].voltage, ten[p].second);
        }
    }
}

} // namespace
} // namespace varne
