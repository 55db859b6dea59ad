#include "export/CsvExport.h"

#include "export/HistoryLine.h"
#include "report/ReportImage.h"
#include "report/model/TestRecordDecoder.h"
#include "sim/DemoImage.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace varne {
namespace {

// Reads RFC 4180 text back into rows of fields (CRLF row ends, quotes doubled inside quotes).
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.emplace_back(1);
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last CRLF
    return rows;
}

TEST(CsvExport, FieldQuoting) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases{
        {"plain", "plain"},
        {"", ""},
        {"Pick up:  1.002A / Ratio:  0.951", "Pick up:  1.002A / Ratio:  0.951"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {"crlf\r\n", "\"crlf\r\n\""},
        {" AC-I1", "\" AC-I1\""},
        {" Udc ", "\" Udc \""},
        {"9.8\u00B0", "9.8\u00B0"},
        {"bad \xA1 byte", "bad \uFFFD byte"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvField(c.in), c.out) << c.in;
        // A reader gets the text back, as valid UTF-8.
        const auto rows = readCsv("x," + CsvField(c.in) + ",y\r\n");
        ASSERT_EQ(rows.size(), 1U);
        const std::string back = c.in == "bad \xA1 byte" ? "bad \uFFFD byte" : c.in;
        EXPECT_EQ(rows[0], (std::vector<std::string>{"x", back, "y"}));
    }
}

TEST(CsvExport, DemoRowsWithHeaderAndCrLf) {
    const std::vector<std::uint8_t> image = demoReportImage();
    std::vector<ExportedRecord> records;
    for (TestRecord& r : DecodeTestRecords(ReportImage(image), 7)) {
        records.push_back({std::move(r),
                           "fp" + std::to_string(records.size()),
                           {"2024-05-14T15:00:00", "2024-05-20T09:00:00", "2024-06-01T10:00:00"}});
    }
    records[1].downloads = {"2024-05-14T15:00:00"};
    records[2].downloads.clear();
    records[3].record.testedAt.reset();

    std::ostringstream out;
    WriteCsvExport(out, records);
    const std::string csv = out.str();
    EXPECT_EQ(csv.substr(0, csv.find("\r\n") + 2),
              "fingerprint,tested_at,kind,subkind,heading,result,first_download,last_download\r\n");
    EXPECT_NE(csv.find("\r\nfp0,2024-05-14T08:14:05,Pick Up,\" AC-I1\",Pick Up AC-I1,"
                       "Pick up:  1.002A / Drop off:  0.953A / Ratio:  0.951,"
                       "2024-05-14T15:00:00,2024-06-01T10:00:00\r\n"),
              std::string::npos);

    const auto rows = readCsv(csv);
    ASSERT_EQ(rows.size(), 30U);
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), 8U);
    }
    EXPECT_EQ(rows[2][6], "2024-05-14T15:00:00");
    EXPECT_EQ(rows[2][7], "2024-05-14T15:00:00");
    EXPECT_EQ(rows[3][6], "");
    EXPECT_EQ(rows[3][7], "");
    EXPECT_EQ(rows[4][1], "") << "a test without a time";
    EXPECT_EQ(rows[21][4], "Advanced Synchronizing");
    EXPECT_EQ(rows[21][5], "Trip U1:  57.32V / U2:  56.10V / Delta Angl:  9.8\u00B0");
    EXPECT_EQ(rows[18][5], "0.005A/20.100V   0.010A/45.300V / 0.020A/82.600V   0.040A/121.800V / "
                           "0.080A/148.900V   0.150A/163.200V / 0.300A/172.500V   0.600A/178.900V");
    EXPECT_EQ(rows[25][4], "Auto Test Linear Ramp AC-I1");
    EXPECT_EQ(rows[27][5], "") << "Auto Test Shot";

    std::ostringstream empty;
    WriteCsvExport(empty, {});
    EXPECT_EQ(readCsv(empty.str()).size(), 1U);
}

TEST(HistoryLine, TimeHeadingAndResultOnOneLine) {
    const std::vector<std::uint8_t> image = demoReportImage();
    const std::vector<TestRecord> records = DecodeTestRecords(ReportImage(image), 7);
    EXPECT_EQ(HistoryLine(records.at(0)), "2024-05-14 08:14:05 | Pick Up AC-I1 | Pick up:  1.002A "
                                          "/ Drop off:  0.953A / Ratio:  0.951");
    EXPECT_EQ(HistoryLine(records.at(22)), "2024-05-14 13:05:27 | Advanced Recloseing | "
                                           "Time:  0.305s / Pulse:  0.102s / AccTrip:  0.041s");
    EXPECT_EQ(HistoryLine(records.at(26)), "2024-05-14 14:19:08 | Auto Test Shot AC-I2");
    EXPECT_EQ(HistoryLine(records.at(20)),
              "2024-05-14 11:28:36 | Advanced Synchronizing | "
              "Trip U1:  57.32V / U2:  56.10V / Delta Angl:  9.8\u00B0");

    TestRecord undated;
    undated.date = "2024-18-00 08:00:00";
    undated.heading = "Unknown Test";
    EXPECT_EQ(HistoryLine(undated), "2024-18-00 08:00:00 | Unknown Test");
}

} // namespace
} // namespace varne
