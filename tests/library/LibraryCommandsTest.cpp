#include "LibraryEngines.h"
#include "library/RecordLibrary.h"
#include "report/ReportImageBuilder.h"
#include "support/DemoReport.h"
#include "support/PostgresServer.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace varne::test {
namespace {

using test::expectedDemoTextReport;

// A download of tests first .. first + count - 1 of a made-up tester: even tests are Pick Up
// tests, odd ones CT tests; test n was done n hours after 1 November 2026, 00:10.
std::vector<std::uint8_t> madeDownload(int first, int count) {
    ReportImageBuilder builder;
    for (int i = 0; i < count; ++i) {
        const int n = first + i;
        EntryFields fields;
        fields.year = 26;
        fields.month = 11;
        fields.day = static_cast<std::uint8_t>(1 + n / 24);
        fields.hour = static_cast<std::uint8_t>(n % 24);
        fields.minute = 10;
        fields.testType = n % 2 == 0 ? 0 : 5;
        const auto slot = static_cast<std::size_t>(i);
        builder.entry(slot, fields).values(slot, static_cast<float>(n), 0.5f, 1.0f);
    }
    return builder.replyPayload();
}

QStringList nonEmptyLines(const QByteArray& text) {
    return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
}

class LibraryCommandsTest : public EngineTest {
protected:
    // Saves a download as varne get keeps it: the payload and a sidecar with its time.
    QString saveDownload(const QString& name, int first, int count, int hour) {
        const auto payload = madeDownload(first, count);
        writeFile(path(name), QByteArray(reinterpret_cast<const char*>(payload.data()),
                                         static_cast<qsizetype>(payload.size())));
        QJsonObject sidecar;
        sidecar["handshake"] = 7;
        sidecar["port"] = "/dev/ttyUSB0";
        sidecar["time"] = QStringLiteral("2026-12-01T%1:00:00+01:00").arg(hour, 2, 10, QChar('0'));
        QString json = name;
        json.replace(".bin", ".json");
        writeFile(path(json), QJsonDocument(sidecar).toJson());
        return name;
    }

    ProcessResult varne(const QString& command, const QStringList& arguments) {
        return runProgram(binaryPath("varne"),
                          QStringList{command, "--library", libraryUrl()} + arguments, dir_.path());
    }
};

TEST_P(LibraryCommandsTest, ImportCountsTestsAndNewTestsAndAddsADownloadOnce) {
    saveDownload("a.bin", 0, 30, 8);
    saveDownload("b.bin", 5, 30, 9);
    const ProcessResult first = varne("import", {"a.bin", "b.bin"});
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(first.out, "a.bin: 30 tests, 30 new\nb.bin: 30 tests, 5 new\n");

    const ProcessResult again = varne("import", {"a.bin"});
    ASSERT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_EQ(again.out, "a.bin: 30 tests, 0 new (this download is already in the library)\n");

    // Without its sidecar the file is another download (its modification time), same tests.
    QFile::remove(path("a.json"));
    const ProcessResult bare = varne("import", {"a.bin"});
    EXPECT_EQ(bare.out, "a.bin: 30 tests, 0 new\n");

    const ProcessResult history = varne("history", {});
    ASSERT_EQ(history.exitCode, 0) << history.err.constData();
    const QStringList lines = nonEmptyLines(history.out);
    ASSERT_EQ(lines.size(), 35);
    EXPECT_TRUE(lines.front().startsWith("2026-11-02 10:10:00 | Pick Up"))
        << qPrintable(lines.front());
    EXPECT_TRUE(lines.back().startsWith("2026-11-01 00:10:00 | Pick Up"))
        << qPrintable(lines.back());
}

TEST_P(LibraryCommandsTest, HistoryFiltersByDayKindNewnessAndCount) {
    saveDownload("a.bin", 0, 30, 8);  // 1 Nov 00:10 .. 2 Nov 05:10
    saveDownload("b.bin", 20, 30, 9); // .. 3 Nov 01:10: 20 new
    ASSERT_EQ(varne("import", {"b.bin", "a.bin"}).exitCode, 0);
    // The download of the latest time is b, imported first: its new tests are all of it.
    struct Case {
        QStringList options;
        int lines;
    };
    const Case cases[] = {
        {{}, 50},
        {{"--since", "2026-11-02"}, 26},
        {{"--until", "2026-11-01"}, 24},
        {{"--since", "2026-11-02", "--until", "2026-11-02"}, 24},
        {{"--kind", "ct TEST"}, 25},
        {{"--kind", "pick", "--until", "2026-11-01"}, 12},
        {{"--new"}, 30},
        {{"--new", "--kind", "Ct", "--limit", "4"}, 4},
        {{"--since", "2026-12-01"}, 0},
    };
    for (const Case& c : cases) {
        const ProcessResult result = varne("history", c.options);
        ASSERT_EQ(result.exitCode, 0)
            << c.options.join(' ').toStdString() << result.err.constData();
        EXPECT_EQ(nonEmptyLines(result.out).size(), c.lines) << c.options.join(' ').toStdString();
    }
    for (const QStringList& bad :
         {QStringList{"--since", "2026-13-01"}, QStringList{"--until", "1.11.2026"},
          QStringList{"--since", "2026-11-03", "--until", "2026-11-02"},
          QStringList{"--limit", "0"}, QStringList{"--limit", "x"}, QStringList{"extra"}}) {
        const ProcessResult result = varne("history", bad);
        EXPECT_EQ(result.exitCode, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST_P(LibraryCommandsTest, ExportWritesTheSelectionAsJsonOrCsv) {
    saveDownload("a.bin", 0, 30, 8);
    saveDownload("b.bin", 5, 30, 9);
    ASSERT_EQ(varne("import", {"a.bin", "b.bin"}).exitCode, 0);

    const ProcessResult json = varne("export", {"--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.constData();
    QJsonParseError error;
    const QJsonArray all = QJsonDocument::fromJson(json.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    ASSERT_EQ(all.size(), 35);
    const QJsonObject newest = all.first().toObject();
    EXPECT_EQ(newest["tested_at"].toString(), "2026-11-02T10:10:00");
    EXPECT_EQ(newest["kind"].toString(), "Pick Up");
    EXPECT_EQ(newest["type"].toInt(), 0);
    EXPECT_EQ(newest["fingerprint"].toString().size(), 64);
    EXPECT_FALSE(newest["quantities"].toArray().isEmpty());
    EXPECT_EQ(newest["downloads"].toArray(), QJsonArray{"2026-12-01T09:00:00+01:00"});
    const QJsonObject shared = all[29].toObject(); // test 5, in both downloads
    EXPECT_EQ(shared["tested_at"].toString(), "2026-11-01T05:10:00");
    EXPECT_EQ(shared["downloads"].toArray(),
              (QJsonArray{"2026-12-01T08:00:00+01:00", "2026-12-01T09:00:00+01:00"}));

    const ProcessResult ct = varne(
        "export", {"--format", "json", "--kind", "ct", "--since", "2026-11-02", "--limit", "3"});
    ASSERT_EQ(ct.exitCode, 0) << ct.err.constData();
    const QJsonArray some = QJsonDocument::fromJson(ct.out).array();
    ASSERT_EQ(some.size(), 3);
    for (const auto& test : some) {
        EXPECT_EQ(test.toObject()["kind"].toString(), "CT Test");
    }

    const ProcessResult csv = varne("export", {"--format", "csv", "--output", "out/tests.csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.constData();
    EXPECT_TRUE(csv.out.isEmpty());
    const QList<QByteArray> rows = readFile(path("out/tests.csv")).split('\n');
    ASSERT_EQ(rows.size(), 37) << "a header, 35 tests, and the end of the last line";
    EXPECT_EQ(rows[0], "fingerprint,tested_at,kind,subkind,heading,result,first_download,"
                       "last_download\r");
    EXPECT_TRUE(rows[30].contains(",2026-12-01T08:00:00+01:00,2026-12-01T09:00:00+01:00\r"))
        << rows[30].constData();

    // A file that cannot be written is told, and the earlier export stays whole.
    const ProcessResult blocked =
        varne("export", {"--format", "csv", "--output", "out/tests.csv/inside"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_FALSE(blocked.err.isEmpty());
    EXPECT_EQ(readFile(path("out/tests.csv")).count('\n'), 36);
    for (const QStringList& bad : {QStringList{}, QStringList{"--format", "xml"},
                                   QStringList{"--format", "csv", "--kind"}}) {
        EXPECT_EQ(varne("export", bad).exitCode, 1) << bad.join(' ').toStdString();
    }
}

TEST_P(LibraryCommandsTest, TwoProgramsImportingAtOnceLoseAndDuplicateNothing) {
    // Twelve downloads, each sharing 25 tests with the one before: 85 tests in all.
    QStringList files;
    for (int k = 0; k < 12; ++k) {
        files << saveDownload(QStringLiteral("d%1.bin").arg(k), 5 * k, 30, 8 + k);
    }
    QStringList reversed(files.rbegin(), files.rend());
    QProcess one;
    QProcess other;
    for (auto& [process, order] : {std::pair{&one, files}, std::pair{&other, reversed}}) {
        process->setWorkingDirectory(dir_.path());
        process->start(binaryPath("varne"),
                       QStringList{"import", "--library", libraryUrl()} + order);
    }
    int newTests = 0;
    int alreadyAdded = 0;
    for (QProcess* process : {&one, &other}) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().constData();
        for (const QString& line : nonEmptyLines(process->readAllStandardOutput())) {
            const auto match = QRegularExpression(": 30 tests, (\\d+) new").match(line);
            ASSERT_TRUE(match.hasMatch()) << line.toStdString();
            newTests += match.captured(1).toInt();
            alreadyAdded += line.contains("already") ? 1 : 0;
        }
    }
    EXPECT_EQ(newTests, 85) << "each test counted new exactly once";
    EXPECT_EQ(alreadyAdded, 12) << "each download added exactly once";
    EXPECT_EQ(nonEmptyLines(varne("history", {}).out).size(), 85);
}

TEST_P(LibraryCommandsTest, ALibraryThatCannotBeUsedGivesStatus5AndStaysAsItWas) {
    saveDownload("a.bin", 0, 3, 8);
    const ProcessResult missing = varne("history", {});
    EXPECT_EQ(missing.exitCode, 5);
    EXPECT_FALSE(missing.err.isEmpty());
    if (GetParam() == Engine::SQLite) {
        EXPECT_FALSE(QFile::exists(libraryUrl())) << "reading never creates a library";
    }

    ASSERT_EQ(varne("import", {"a.bin"}).exitCode, 0);
    {
        library::RecordLibrary library(location(), library::RecordLibrary::Access::Write);
        ASSERT_TRUE(QSqlQuery(library.database()).exec("UPDATE schema_version SET version = 7"));
    }
    const QByteArray before = GetParam() == Engine::SQLite ? readFile(libraryUrl()) : QByteArray();
    for (const QString command : {"import", "history", "export"}) {
        const ProcessResult newer =
            varne(command, command == "import"   ? QStringList{"a.bin"}
                           : command == "export" ? QStringList{"--format", "csv"}
                                                 : QStringList{});
        EXPECT_EQ(newer.exitCode, 5) << command.toStdString();
        EXPECT_TRUE(newer.err.contains("newer")) << newer.err.constData();
    }
    if (GetParam() == Engine::SQLite) {
        EXPECT_EQ(readFile(libraryUrl()), before);
        writeFile(path("foreign.sqlite"), QByteArray(4096, 'x'));
        const ProcessResult damaged =
            runProgram(binaryPath("varne"),
                       {"import", "--library", path("foreign.sqlite"), "a.bin"}, dir_.path());
        EXPECT_EQ(damaged.exitCode, 5) << damaged.err.constData();
        EXPECT_EQ(readFile(path("foreign.sqlite")), QByteArray(4096, 'x'));
        return;
    }
    PostgresServer& server = PostgresServer::instance();
    for (const QString& url : {server.url(PostgresServer::kPasswordUser, "wrong", "postgres"),
                               server.url(PostgresServer::kPasswordUser, {}, "postgres"),
                               server.url("postgres", {}, "no_such_database")}) {
        const ProcessResult refused =
            runProgram(binaryPath("varne"), {"import", "--library", url, "a.bin"}, dir_.path());
        EXPECT_EQ(refused.exitCode, 5) << url.toStdString() << refused.err.constData();
        EXPECT_FALSE(refused.err.contains("wrong")) << "the password is never shown";
    }
}

TEST_P(LibraryCommandsTest, GetAddsEachDownloadAndImportingItsArchiveAddsNothing) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    writeFile(path("Configure/Varne_Com.txt"),
              "COMSTART\n" + simulator.devicePath().toLocal8Bit() + "\nCOMEND\n");

    const ProcessResult first = varne("get", {"--no-open"});
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    const auto line =
        QRegularExpression("\nLibrary: (\\d+) tests in this download, (\\d+) new\\.\n$")
            .match(QString::fromUtf8(first.out));
    ASSERT_TRUE(line.hasMatch()) << first.out.constData();
    const QString tests = line.captured(1);
    EXPECT_GT(tests.toInt(), 0);
    EXPECT_EQ(line.captured(2), tests);

    const ProcessResult second = varne("get", {"--no-open"});
    ASSERT_EQ(second.exitCode, 0) << second.err.constData();
    EXPECT_TRUE(
        second.out.endsWith("Library: " + tests.toUtf8() + " tests in this download, 0 new.\n"))
        << second.out.constData();

    QStringList raw;
    for (const QString& name : QDir(path("Varne_Report/raw")).entryList({"*.bin"}, QDir::Files)) {
        raw << "Varne_Report/raw/" + name;
    }
    ASSERT_EQ(raw.size(), 2);
    const ProcessResult imported = varne("import", raw);
    ASSERT_EQ(imported.exitCode, 0) << imported.err.constData();
    EXPECT_EQ(imported.out.count("0 new (this download is already in the library)"), 2)
        << imported.out.constData();
    EXPECT_EQ(nonEmptyLines(varne("history", {}).out).size(), tests.toInt());

    if (GetParam() == Engine::SQLite) {
        // A library that cannot be written: the report stands, exit 0, the user told.
        writeFile(libraryUrl(), QByteArray(2048, 'x'));
        QFile::remove(path("Varne_Report/Varne_Report.txt"));
        const ProcessResult damaged = varne("get", {"--no-open"});
        EXPECT_EQ(damaged.exitCode, 0) << damaged.err.constData();
        EXPECT_FALSE(damaged.out.contains("Library:"));
        EXPECT_TRUE(damaged.err.contains("record library")) << damaged.err.constData();
        EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), expectedDemoTextReport());
        EXPECT_EQ(readFile(libraryUrl()), QByteArray(2048, 'x'));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, LibraryCommandsTest,
                         testing::Values(Engine::SQLite, Engine::PostgreSQL), engineName);

} // namespace
} // namespace varne::test
