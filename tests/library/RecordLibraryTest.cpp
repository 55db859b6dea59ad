#include "library/RecordLibrary.h"

#include "LibraryEngines.h"
#include "library/LibraryError.h"
#include "library/RecordSelection.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSqlQuery>
#include <cmath>
#include <gtest/gtest.h>

namespace varne::test {
namespace {

using library::AddResult;
using library::DownloadInfo;
using library::LibraryError;
using library::LibraryRecord;
using library::RecordDetail;
using library::RecordFilter;
using library::RecordLibrary;
using library::SelectRecords;

// Test n of a made-up tester: its identity is its number, its test time n hours after a start.
TestRecord madeTest(int n, std::size_t slot) {
    TestRecord r;
    r.slot = slot;
    r.type = static_cast<std::uint8_t>(n % 7);
    r.subtype = 2;
    r.option = 1;
    r.kind = n % 2 == 0 ? "Overcurrent" : "CT Excitation";
    r.subkind = "Pick Up";
    r.testedAt = TestTime{2026, 11, 1 + n / 24 % 28, n % 24, 5, 9};
    r.heading = r.kind + "\nTest " + std::to_string(n);
    r.date = "Date: 2026-11-01";
    r.result = "Pick up: 1.5 A\nAngle: 30 \xC2\xB0";
    r.quantities = {{"Pick up", 1.5 + n, "A"}, {"Angle", 30, "\xC2\xB0"}};
    r.identityBytes = {0xAA, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    return r;
}

std::vector<TestRecord> madeTests(int first, int count) {
    std::vector<TestRecord> tests;
    for (int i = 0; i < count; ++i) {
        tests.push_back(madeTest(first + i, static_cast<std::size_t>(i)));
    }
    return tests;
}

using test::readFile;

DownloadInfo madeDownload(int n) {
    DownloadInfo d;
    d.time = QDateTime(QDate(2026, 12, 1), QTime(8, 0, 0), Qt::UTC).addSecs(3600 * n);
    d.port = "/dev/ttyUSB0";
    d.handshake = 7;
    d.byteCount = 5121;
    d.sha256 = "payload-" + std::to_string(n);
    d.rawPath = "/raw/" + std::to_string(n) + ".bin";
    return d;
}

std::vector<std::string> headings(const std::vector<LibraryRecord>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) {
        out.push_back(r.record.heading.substr(r.record.heading.find('\n') + 1));
    }
    return out;
}

class RecordLibraryTest : public EngineTest {
protected:
    RecordLibrary open(RecordLibrary::Access access = RecordLibrary::Access::Write) {
        return RecordLibrary(location(), access);
    }
};

TEST_P(RecordLibraryTest, OverlappingDownloadsKeepEachTestOnce) {
    auto library = open();
    const AddResult first = library.addDownload(madeDownload(1), madeTests(0, 30));
    EXPECT_EQ(first.tests, 30u);
    EXPECT_EQ(first.newTests, 30u);
    const AddResult second = library.addDownload(madeDownload(2), madeTests(5, 30));
    EXPECT_EQ(second.tests, 30u);
    EXPECT_EQ(second.newTests, 5u);
    EXPECT_FALSE(second.alreadyAdded);

    const AddResult again = library.addDownload(madeDownload(1), madeTests(0, 30));
    EXPECT_TRUE(again.alreadyAdded);
    EXPECT_EQ(again.newTests, 0u);

    // The same payload at another time is another download; a test twice in one image is
    // one test.
    std::vector<TestRecord> twice = madeTests(40, 2);
    twice[1] = madeTest(40, 1);
    const AddResult doubled = library.addDownload(madeDownload(3), twice);
    EXPECT_EQ(doubled.tests, 2u);
    EXPECT_EQ(doubled.newTests, 1u);

    const auto all = SelectRecords(library, {}, RecordDetail::Full);
    EXPECT_EQ(all.size(), 36u);
    const auto shared = std::find_if(
        all.begin(), all.end(), [](const auto& r) { return r.record.heading.ends_with(" 7"); });
    ASSERT_NE(shared, all.end());
    EXPECT_EQ(shared->downloads.size(), 2u) << "held by both downloads, listed once each";
    const auto inOne = std::find_if(
        all.begin(), all.end(), [](const auto& r) { return r.record.heading.ends_with(" 40"); });
    ASSERT_NE(inOne, all.end());
    EXPECT_EQ(inOne->downloads.size(), 1u);
}

TEST_P(RecordLibraryTest, KeepsEveryFieldOfATest) {
    auto library = open();
    TestRecord test = madeTest(3, 4);
    test.quantities.push_back({"Trip time", std::nan(""), "s"});
    test.curve = {{0.5f, 10.25f}, {1.0f, 20.5f}};
    library.addDownload(madeDownload(1), std::vector{test});
    library.addDownload(madeDownload(2), std::vector{test});

    const auto records = SelectRecords(library, {}, RecordDetail::Full);
    ASSERT_EQ(records.size(), 1u);
    const LibraryRecord& got = records[0];
    EXPECT_EQ(got.fingerprint.size(), 64u);
    EXPECT_EQ(got.record.type, test.type);
    EXPECT_EQ(got.record.subtype, test.subtype);
    EXPECT_EQ(got.record.option, test.option);
    EXPECT_EQ(got.record.kind, test.kind);
    EXPECT_EQ(got.record.subkind, test.subkind);
    ASSERT_TRUE(got.record.testedAt.has_value());
    EXPECT_EQ(got.record.testedAt->day, test.testedAt->day);
    EXPECT_EQ(got.record.testedAt->hour, 3);
    EXPECT_EQ(got.record.heading, test.heading);
    EXPECT_EQ(got.record.date, test.date);
    EXPECT_EQ(got.record.result, test.result);
    ASSERT_EQ(got.record.quantities.size(), 3u);
    EXPECT_EQ(got.record.quantities[0].name, "Pick up");
    EXPECT_DOUBLE_EQ(got.record.quantities[0].value, 4.5);
    EXPECT_EQ(got.record.quantities[1].unit, "\xC2\xB0");
    EXPECT_TRUE(std::isnan(got.record.quantities[2].value)) << "not a number comes back as NaN";
    ASSERT_EQ(got.record.curve.size(), 2u);
    EXPECT_FLOAT_EQ(got.record.curve[1].current, 1.0f);
    EXPECT_FLOAT_EQ(got.record.curve[1].voltage, 20.5f);
    EXPECT_EQ(got.downloads,
              (std::vector<std::string>{"2026-12-01T09:00:00Z", "2026-12-01T10:00:00Z"}));
}

TEST_P(RecordLibraryTest, SelectsNewestFirstUndatedLastAndFilters) {
    auto library = open();
    std::vector<TestRecord> tests = madeTests(0, 6); // Nov 1, 0:05 .. 5:05
    tests[2].testedAt.reset();
    tests[4].testedAt = TestTime{2026, 11, 3, 23, 59, 59};
    tests[5].heading = "CT Excitation 50%_Off\\\nTest 5";
    library.addDownload(madeDownload(1), tests);
    library.addDownload(madeDownload(2), madeTests(30, 2)); // Nov 2, 6:05 and 7:05

    const auto select = [&library](const RecordFilter& filter) {
        return headings(SelectRecords(library, filter, RecordDetail::Summary));
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(select({}), (V{"Test 4", "Test 31", "Test 30", "Test 5", "Test 3", "Test 1", "Test 0",
                             "Test 2"}));
    RecordFilter days;
    days.since = QDate(2026, 11, 2);
    days.until = QDate(2026, 11, 3);
    EXPECT_EQ(select(days), (V{"Test 4", "Test 31", "Test 30"})) << "both days inclusive";
    RecordFilter kind;
    kind.kind = "ct exc";
    EXPECT_EQ(select(kind), (V{"Test 31", "Test 5", "Test 3", "Test 1"}));
    kind.kind = "0%_O";
    EXPECT_EQ(select(kind), (V{"Test 5"})) << "% and _ are plain characters";
    kind.kind = "0%XO";
    EXPECT_EQ(select(kind), V{});
    RecordFilter fresh;
    fresh.onlyNew = true;
    EXPECT_EQ(select(fresh), (V{"Test 31", "Test 30"}));
    fresh.limit = 1;
    EXPECT_EQ(select(fresh), (V{"Test 31"}));
    RecordFilter limited;
    limited.limit = 3;
    EXPECT_EQ(SelectRecords(library, limited, RecordDetail::Full).size(), 3u);
}

TEST_P(RecordLibraryTest, ReadingNeverCreatesALibrary) {
    EXPECT_THROW(open(RecordLibrary::Access::Read), LibraryError);
    if (GetParam() == Engine::SQLite) {
        EXPECT_FALSE(QFile::exists(libraryUrl()));
    } else {
        EXPECT_THROW(open(RecordLibrary::Access::Read), LibraryError) << "still empty";
    }
    open(RecordLibrary::Access::Write);
    auto reader = open(RecordLibrary::Access::Read);
    EXPECT_TRUE(SelectRecords(reader, {}, RecordDetail::Full).empty());
}

// Rewrites the library's schema version behind the program's back.
void setSchemaVersion(RecordLibrary& library, int version) {
    QSqlQuery query(library.database());
    ASSERT_TRUE(query.exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version)));
}

TEST_P(RecordLibraryTest, RefusesANewerSchemaAndAForeignDatabaseAndLeavesThemAlone) {
    {
        auto library = open();
        library.addDownload(madeDownload(1), madeTests(0, 3));
        setSchemaVersion(library, 99);
    }
    const QByteArray before = readFile(libraryUrl());
    for (const auto access : {RecordLibrary::Access::Write, RecordLibrary::Access::Read}) {
        try {
            open(access);
            ADD_FAILURE() << "a newer schema was opened";
        } catch (const LibraryError& e) {
            EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("99"), std::string::npos) << e.what();
        }
    }
    if (GetParam() == Engine::SQLite) {
        EXPECT_EQ(readFile(libraryUrl()), before);
    }
}

TEST_P(RecordLibraryTest, RefusesADatabaseThatHoldsSomethingElse) {
    {
        RecordLibrary library(location(), RecordLibrary::Access::Write);
        QSqlQuery query(library.database());
        ASSERT_TRUE(query.exec("DROP TABLE download_records"));
        ASSERT_TRUE(query.exec("DROP TABLE schema_version"));
    }
    try {
        open();
        ADD_FAILURE() << "a foreign database was opened";
    } catch (const LibraryError& e) {
        EXPECT_NE(std::string(e.what()).find("not a record library"), std::string::npos)
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordLibraryTest,
                         testing::Values(Engine::SQLite, Engine::PostgreSQL), engineName);

} // namespace
} // namespace varne::test
