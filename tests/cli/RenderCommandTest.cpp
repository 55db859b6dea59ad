#include "report/ReportImageBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace varne {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

const QByteArray kHeader =
    "---------------------Varne Series Relay Tester Test Report--------------------\r\n";
const QByteArray kSeparator =
    "-------------------------------------------------------------------\r\n";

// One Pick Up record, as the text report shows it.
const QByteArray kPickUpReport = kHeader + kSeparator +
                                 "Pick Up\r\n AC-I1\r\n2021-03-09 14:07:30\r\n"
                                 "Pick up:  1.500A\r\nDrop off:  1.250A\r\nRatio:  0.750\r\n" +
                                 kSeparator;

std::vector<std::uint8_t> pickUpPayload() {
    ReportImageBuilder builder;
    builder.entry(4, {21, 3, 9, 14, 7, 30, 0, 0, 0}).values(4, 1.5f, 1.25f, 0.75f);
    return builder.replyPayload();
}

// The build tree's varne; VARNE_BIN_DIR points elsewhere when set.
QString varneProgram() {
    const QString dir = qEnvironmentVariable("VARNE_BIN_DIR", VARNE_BUILD_BIN_DIR);
    return dir + "/varne";
}

class RenderCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writeImage(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        writeFile(name, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
    }
    QByteArray readFile(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    Outcome render(const QStringList& options,
                   const std::function<void()>& inChild = nullptr) const {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        if (inChild) {
            process.setChildProcessModifier(inChild);
        }
        process.start(varneProgram(), QStringList{"render"} + options);
        EXPECT_TRUE(process.waitForStarted(10000))
            << "cannot start " << varneProgram().toStdString();
        EXPECT_TRUE(process.waitForFinished(10000)) << "varne render did not finish";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir dir_;
};

TEST_F(RenderCommandTest, WritesTheReportByteForByte) {
    writeImage("report.bin", pickUpPayload());

    const Outcome outcome = render({"--output", "out/mine.txt", "report.bin"});

    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(readFile("out/mine.txt"), kPickUpReport);
    EXPECT_EQ(outcome.out, "Save Success!!!: Txt report save as " + path("out/mine.txt") + "\n");
    EXPECT_EQ(outcome.err, "");
}

TEST_F(RenderCommandTest, DefaultPathIsBelowTheWorkingDirectory) {
    writeImage("report.bin", pickUpPayload());

    const Outcome outcome = render({"--format", "txt", "report.bin"});

    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(readFile("Varne_Report/Varne_Report.txt"), kPickUpReport);
}

TEST_F(RenderCommandTest, AcceptsAnyImageLengthThatHoldsTheLayout) {
    std::vector<std::uint8_t> bytes = pickUpPayload();
    bytes.back() ^= 0xFF; // the check byte is not verified
    writeImage("bad-check.bin", bytes);
    bytes.resize(3584);
    writeImage("layout-only.bin", bytes);

    for (const QString image : {"bad-check.bin", "layout-only.bin"}) {
        const Outcome outcome = render({"--output", image + ".txt", image});
        EXPECT_EQ(outcome.exitCode, 0) << image.toStdString();
        EXPECT_EQ(readFile(image + ".txt"), kPickUpReport) << image.toStdString();
    }
}

TEST_F(RenderCommandTest, HandshakeChoosesTheCurveLayout) {
    ReportImageBuilder builder;
    const std::vector<std::pair<float, float>> points{{1, 10}, {2, 20}, {3, 30},
                                                      {4, 40}, {5, 50}, {6, 60}};
    builder.entry(0, {21, 1, 1, 0, 0, 0, 5, 3, 0}).curve(0, points, 3);
    writeImage("curve.bin", builder.replyPayload());

    const QByteArray sixPoints = "1.000A/10.000V   2.000A/20.000V\r\n"
                                 "3.000A/30.000V   4.000A/40.000V\r\n"
                                 "5.000A/50.000V   6.000A/60.000V\r\n";
    const QByteArray threePoints = "1.000A/10.000V   2.000A/20.000V   \r\n3.000A/30.000V   \r\n";
    const std::vector<std::pair<QStringList, QByteArray>> cases{
        {{}, threePoints},
        {{"--handshake", "7"}, threePoints},
        {{"--handshake", "6"}, sixPoints},
        {{"--handshake", "200"}, sixPoints}, // a negative byte
        {{"--handshake", "-1"}, sixPoints},
    };
    for (const auto& [handshake, result] : cases) {
        const Outcome outcome = render(handshake + QStringList{"--output", "c.txt", "curve.bin"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        EXPECT_TRUE(readFile("c.txt").endsWith(result + kSeparator))
            << handshake.join(' ').toStdString() << "\n"
            << readFile("c.txt").toStdString();
    }
}

TEST_F(RenderCommandTest, BadUsageWritesNothing) {
    writeImage("report.bin", pickUpPayload());
    const std::vector<QStringList> cases{
        {},
        {"report.bin", "report.bin"},
        {"missing.bin"},
        {"."},
        {"--format", "doc", "report.bin"},
        {"--handshake", "abc", "report.bin"},
        {"--handshake", "256", "report.bin"},
        {"--handshake", "-129", "report.bin"},
        {"--unknown", "report.bin"},
    };
    for (const QStringList& options : cases) {
        const Outcome outcome = render(options);
        EXPECT_EQ(outcome.exitCode, 1) << options.join(' ').toStdString();
        EXPECT_FALSE(outcome.err.isEmpty()) << options.join(' ').toStdString();
    }
    EXPECT_FALSE(QDir(path("Varne_Report")).exists());
}

TEST_F(RenderCommandTest, HelpExplainsEveryOption) {
    const Outcome outcome = render({"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    for (const char* word : {"--handshake", "--format", "--output", "IMAGE", "Exit status"}) {
        EXPECT_TRUE(outcome.out.contains(word)) << word;
    }
}

TEST_F(RenderCommandTest, ImageWithoutTestsIsNoReport) {
    writeImage("empty.bin", ReportImageBuilder().replyPayload());

    const Outcome outcome = render({"empty.bin"});

    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_EQ(outcome.err, "Report is not found in the tester!!!\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_FALSE(QDir(path("Varne_Report")).exists());
}

TEST_F(RenderCommandTest, FailuresLeaveTheEarlierReportIntact) {
    writeImage("report.bin", pickUpPayload());
    ASSERT_EQ(render({"report.bin"}).exitCode, 0);
    const QString report = "Varne_Report/Varne_Report.txt";

    std::vector<std::uint8_t> shortImage = pickUpPayload();
    shortImage.resize(100);
    writeImage("short.bin", shortImage);
    Outcome outcome = render({"short.bin"});
    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_EQ(outcome.err, "report image is incomplete: 100 of 3584 bytes\n");

    writeImage("empty.bin", ReportImageBuilder().replyPayload());
    EXPECT_EQ(render({"empty.bin"}).exitCode, 4);

    // A full report that outgrows the file size limit fails half-way through writing.
    ReportImageBuilder full;
    for (std::size_t i = 0; i < 30; ++i) {
        full.entry(i, {}).values(i, 1.0f, 2.0f, 3.0f);
    }
    writeImage("full.bin", full.replyPayload());
    outcome = render({"full.bin"}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_TRUE(outcome.err.contains(path(report))) << outcome.err.toStdString();

    EXPECT_EQ(readFile(report), kPickUpReport);
    EXPECT_EQ(QDir(path("Varne_Report")).entryList(QDir::Files), QStringList{"Varne_Report.txt"});
}

TEST_F(RenderCommandTest, UnwritablePathSaysWhereAndWhy) {
    writeImage("report.bin", pickUpPayload());
    writeFile("blocker", "a regular file");

    const Outcome outcome = render({"--output", "blocker/report.txt", "report.bin"});

    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_TRUE(outcome.err.contains("blocker/report.txt")) << outcome.err.toStdString();
    EXPECT_EQ(readFile("blocker"), "a regular file");
}

} // namespace
} // namespace varne
