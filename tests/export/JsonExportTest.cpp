#include "export/JsonExport.h"

#include "export/ExportText.h"
#include "report/ReportImage.h"
#include "report/model/RecordFingerprint.h"
#include "report/model/TestRecordDecoder.h"
#include "sim/DemoImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace varne {
namespace {

std::vector<ExportedRecord> demoRecords() {
    const std::vector<std::uint8_t> image = demoReportImage();
    std::vector<ExportedRecord> out;
    for (TestRecord& r : DecodeTestRecords(ReportImage(image), 7)) {
        const std::string fingerprint = RecordFingerprint(r.identityBytes);
        out.push_back({std::move(r), fingerprint, {"2024-05-14T15:00:00", "2024-05-15T07:30:12"}});
    }
    return out;
}

QJsonArray parse(const std::string& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(document.isArray());
    return document.array();
}

std::string exported(const std::vector<ExportedRecord>& records) {
    std::ostringstream out;
    WriteJsonExport(out, records);
    return out.str();
}

std::string text(const QJsonValue& value) {
    return value.toString().toStdString();
}

TEST(JsonExport, DemoRecordsReadBackFieldByField) {
    const std::vector<ExportedRecord> records = demoRecords();
    const std::string json = exported(records);
    const QJsonArray array = parse(json);
    ASSERT_EQ(array.size(), 29);

    for (qsizetype k = 0; k < array.size(); ++k) {
        const QJsonObject o = array[k].toObject();
        const ExportedRecord& e = records[static_cast<std::size_t>(k)];
        SCOPED_TRACE(e.record.slot);
        EXPECT_EQ(o.keys().size(), 14);
        EXPECT_EQ(text(o["fingerprint"]), e.fingerprint);
        EXPECT_EQ(o["type"].toInt(), e.record.type);
        EXPECT_EQ(o["subtype"].toInt(), e.record.subtype);
        EXPECT_EQ(o["option"].toInt(), e.record.option);
        EXPECT_EQ(text(o["kind"]), e.record.kind);
        EXPECT_EQ(text(o["subkind"]), e.record.subkind);
        EXPECT_EQ(text(o["heading"]), e.record.heading);
        EXPECT_EQ(text(o["date"]), e.record.date);
        EXPECT_EQ(text(o["result"]), e.record.result);
        // The tester's local time of the date text, as ISO 8601 without a zone.
        std::string iso = e.record.date;
        iso[10] = 'T';
        EXPECT_EQ(text(o["tested_at"]), iso);

        const QJsonArray quantities = o["quantities"].toArray();
        ASSERT_EQ(static_cast<std::size_t>(quantities.size()), e.record.quantities.size());
        for (qsizetype q = 0; q < quantities.size(); ++q) {
            const Quantity& want = e.record.quantities[static_cast<std::size_t>(q)];
            const QJsonObject got = quantities[q].toObject();
            EXPECT_EQ(text(got["name"]), want.name);
            EXPECT_EQ(text(got["unit"]), want.unit);
            // Enough digits to give back the stored single-precision value, or the double.
            const double value = got["value"].toDouble();
            EXPECT_TRUE(value == want.value ||
                        static_cast<float>(value) == static_cast<float>(want.value))
                << want.name << " " << value;
        }
        const QJsonArray curve = o["curve"].toArray();
        ASSERT_EQ(static_cast<std::size_t>(curve.size()), e.record.curve.size());
        for (qsizetype p = 0; p < curve.size(); ++p) {
            const CurvePoint& want = e.record.curve[static_cast<std::size_t>(p)];
            EXPECT_EQ(static_cast<float>(curve[p]["current_a"].toDouble()), want.current);
            EXPECT_EQ(static_cast<float>(curve[p]["voltage_v"].toDouble()), want.voltage);
        }
        EXPECT_EQ(o["downloads"].toArray(),
                  (QJsonArray{"2024-05-14T15:00:00", "2024-05-15T07:30:12"}));
    }

    // A few records as a person reads them in the file.
    EXPECT_NE(json.find(R"("quantities":[{"name":"Pick up","value":1.002,"unit":"A"},)"),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"Delta Angl\",\"value\":9.8,\"unit\":\"\u00B0\"}"),
              std::string::npos);
    EXPECT_NE(json.find(R"("curve":[{"current_a":0.005,"voltage_v":20.1},)"), std::string::npos);
    EXPECT_NE(json.find(R"("result":"Time:  0.305s\nPulse:  0.102s\nAccTrip:  0.041s\n")"),
              std::string::npos);
    const QJsonObject shot = array[26].toObject();
    EXPECT_EQ(text(shot["subkind"]), "Shot");
    EXPECT_TRUE(shot["quantities"].toArray().isEmpty());
    EXPECT_TRUE(shot["curve"].isArray());
    EXPECT_TRUE(shot["curve"].toArray().isEmpty());
}

TEST(JsonExport, EachCurveCarriesItsKneePointAndEveryOtherRecordNull) {
    const QJsonArray array = parse(exported(demoRecords()));
    int curves = 0;
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        ASSERT_TRUE(o.contains("knee_point"));
        if (o["curve"].toArray().isEmpty()) {
            EXPECT_TRUE(o["knee_point"].isNull()) << text(o["subkind"]);
            continue;
        }
        ++curves;
        EXPECT_NEAR(o["knee_point"]["voltage_v"].toDouble(), 138.444, 0.001);
        EXPECT_NEAR(o["knee_point"]["current_a"].toDouble(), 0.062229, 0.000001);
    }
    EXPECT_EQ(curves, 1);

    // A curve past its knee from its first point, or unusable, has none.
    TestRecord r;
    r.curve = {{0.001F, 10}, {0.1F, 20}, {1, 30}};
    EXPECT_TRUE(parse(exported({ExportedRecord{r, "ab", {}}}))[0].toObject()["knee_point"].isNull());
    r.curve = {{0, 0}, {std::numeric_limits<float>::quiet_NaN(), 20}};
    EXPECT_TRUE(parse(exported({ExportedRecord{r, "ab", {}}}))[0].toObject()["knee_point"].isNull());
}

TEST(JsonExport, NullForNoTimeAndForValuesNoNumberHolds) {
    TestRecord r;
    r.kind = "Advanced";
    r.subkind = "Harmonic";
    r.date = "2024-18-00 08:00:00";
    r.quantities = {{"nan", std::numeric_limits<double>::quiet_NaN(), "%"},
                    {"inf", std::numeric_limits<double>::infinity(), ""},
                    {"-inf", -std::numeric_limits<double>::infinity(), ""},
                    {"zero", -0.0, ""}};
    r.curve = {CurvePoint{std::numeric_limits<float>::quiet_NaN(), 1.5F}};
    const std::string json = exported({ExportedRecord{r, "ab", {}}});
    const QJsonObject o = parse(json)[0].toObject();
    EXPECT_TRUE(o["tested_at"].isNull());
    EXPECT_EQ(text(o["date"]), "2024-18-00 08:00:00");
    const QJsonArray q = o["quantities"].toArray();
    EXPECT_TRUE(q[0]["value"].isNull());
    EXPECT_TRUE(q[1]["value"].isNull());
    EXPECT_TRUE(q[2]["value"].isNull());
    EXPECT_EQ(q[3]["value"].toDouble(), 0.0);
    EXPECT_TRUE(o["curve"][0]["current_a"].isNull());
    EXPECT_EQ(o["curve"][0]["voltage_v"].toDouble(), 1.5);
    EXPECT_TRUE(o["downloads"].toArray().isEmpty());
}

TEST(JsonExport, EmptyExportIsAnEmptyArray) {
    EXPECT_EQ(exported({}), "[]\n");
    EXPECT_TRUE(parse(exported({})).isEmpty());
}

TEST(JsonExport, EscapesControlCharactersAndWritesValidUtf8) {
    std::string controls;
    for (char c = 1; c < 0x20; ++c) {
        controls += c;
    }
    struct Case {
        std::string in;
        std::string out; // as the parser reads it back
    };
    const std::vector<Case> cases{
        {"quote \" and backslash \\", "quote \" and backslash \\"},
        {controls + "\x7F", controls + "\x7F"},
        {std::string("nul\0inside", 10), std::string("nul\0inside", 10)},
        {"deg \u00B0 euro \u20AC clef \U0001D11E", "deg \u00B0 euro \u20AC clef \U0001D11E"},
        {"lone \xA1\xE3 bytes", "lone \uFFFD\uFFFD bytes"},
        {"\xFF\xC0\x80 overlong", "\uFFFD\uFFFD\uFFFD overlong"},
        {"surrogate \xED\xA0\x80", "surrogate \uFFFD\uFFFD\uFFFD"},
        {"cut \xE2\x82", "cut \uFFFD\uFFFD"},
        {"line\u2028separator", "line\u2028separator"},
    };
    for (const Case& c : cases) {
        TestRecord r;
        r.heading = c.in;
        r.quantities = {{c.in, 1.0, c.in}};
        const std::string json = exported({ExportedRecord{r, c.in, {c.in}}});
        for (const char byte : json) {
            EXPECT_TRUE(static_cast<unsigned char>(byte) >= 0x20 || byte == '\n') << c.out;
        }
        EXPECT_EQ(ValidUtf8(json), json);
        const QJsonObject o = parse(json)[0].toObject();
        const QByteArray want = QByteArray::fromStdString(c.out);
        EXPECT_EQ(o["heading"].toString().toUtf8(), want);
        EXPECT_EQ(o["fingerprint"].toString().toUtf8(), want);
        EXPECT_EQ(o["quantities"][0]["name"].toString().toUtf8(), want);
        EXPECT_EQ(o["quantities"][0]["unit"].toString().toUtf8(), want);
        EXPECT_EQ(o["downloads"][0].toString().toUtf8(), want);
    }
}

TEST(JsonExport, NumbersInTheCConventionsWithTheFewestDigitsThatReadBack) {
    struct Case {
        double value;
        const char* text;
    };
    const std::vector<Case> cases{
        {static_cast<double>(1.002F), "1.002"},
        {static_cast<double>(0.0185F), "0.0185"},
        {static_cast<double>(-44.2F), "-44.2"},
        {12.5, "12.5"},
        {999999.0, "999999"},
        {0.0, "0"},
        {-0.0, "-0"},
        {0.1, "0.1"},
        {static_cast<double>(0.952F) * static_cast<double>(1.004F), "0.9558079729957569"},
        {static_cast<double>(std::numeric_limits<float>::max()), "3.4028235e+38"},
        {static_cast<double>(std::numeric_limits<float>::denorm_min()), "1e-45"},
        {1e300, "1e+300"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortestNumber(c.value), c.text);
    }
}

} // namespace
} // namespace varne
