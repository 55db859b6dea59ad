#include "link/UiStepController.h"
#include "report/DocxPackage.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;
using test::SimulatorProcess;

using test::demoPayload;
using test::readFile;
using test::writeFile;

class GetCommandTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir().mkpath(path("Configure"));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void writePortFile(const QString& port) {
        writeFile(path("Configure/Varne_Com.txt"),
                  "COMSTART\n" + port.toLocal8Bit() + "\nCOMEND\n");
    }

    ProcessResult get(const QStringList& options) {
        return test::runProgram(test::binaryPath("varne"), QStringList{"get"} + options,
                                dir_.path());
    }

    QStringList rawImages() const {
        return QDir(path("Varne_Report/raw")).entryList({"*.bin"}, QDir::Files, QDir::Name);
    }

    QTemporaryDir dir_;
};

TEST_F(GetCommandTest, DownloadsFromTheSimulatorNamedInThePortFile) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    writePortFile(simulator.devicePath());

    const ProcessResult result = get({});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), test::expectedDemoTextReport());
    EXPECT_TRUE(result.out.contains(
        "Txt report save as " +
        QDir(dir_.path()).filePath("Varne_Report/Varne_Report.txt").toLocal8Bit()))
        << result.out.constData();

    // The raw download is kept exactly as received, with its sidecar.
    const QStringList images = rawImages();
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{8}_\\d{6}\\.bin$").match(images[0]).hasMatch());
    const QByteArray raw = readFile(path("Varne_Report/raw/" + images[0]));
    const auto payload = demoPayload();
    EXPECT_EQ(raw, QByteArray(reinterpret_cast<const char*>(payload.data()),
                              static_cast<qsizetype>(payload.size())));
    QString sidecarName = images[0];
    sidecarName.replace(".bin", ".json");
    const QJsonObject sidecar =
        QJsonDocument::fromJson(readFile(path("Varne_Report/raw/" + sidecarName))).object();
    EXPECT_EQ(sidecar["handshake"].toInt(), 7);
    EXPECT_EQ(sidecar["port"].toString(), simulator.devicePath());
    EXPECT_EQ(sidecar["bytes"].toInt(), 5121);
    EXPECT_EQ(sidecar["sha256"].toString(),
              QString(QCryptographicHash::hash(raw, QCryptographicHash::Sha256).toHex()));
    EXPECT_FALSE(sidecar["time"].toString().isEmpty());

    // The saved image renders to the very same report, taking the handshake from the sidecar.
    const ProcessResult rendered = test::runProgram(
        test::binaryPath("varne"),
        {"render", "--output", path("again.txt"), path("Varne_Report/raw/" + images[0])},
        dir_.path());
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err.constData();
    EXPECT_EQ(readFile(path("again.txt")), readFile(path("Varne_Report/Varne_Report.txt")));
}

TEST_F(GetCommandTest, FaithfulTimingFollowsTheDialogsTickSchedule) {
    SimulatorProcess simulator({"--no-pace"});
    const ProcessResult result = get({"--faithful", "--trace", "--port", simulator.devicePath()});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    const QByteArray err = result.err;
    EXPECT_TRUE(err.contains("tick 1: handshake request written")) << err.constData();
    EXPECT_TRUE(err.contains("tick 3: report request written")) << err.constData();
    EXPECT_TRUE(err.contains("tick 4: report accepted, writing it")) << err.constData();
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), test::expectedDemoTextReport());
}

TEST_F(GetCommandTest, WritesTheWordReportFromTheTemplateWithoutOpeningIt) {
    for (const char* name : {"Varne_Report.docx", "Varne_wordlabel.abl"}) {
        ASSERT_TRUE(QFile::copy(QString(VARNE_SOURCE_ROOT) + "/res/Configure/" + name,
                                path(QString("Configure/") + name)));
    }
    SimulatorProcess simulator({"--no-pace"});
    const ProcessResult result =
        get({"--format", "docx", "--no-open", "--port", simulator.devicePath()});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    const QStringList reports =
        QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    std::string error;
    const auto package = DocxPackage::Load(path("Varne_Report/" + reports[0]).toStdString(), error);
    ASSERT_TRUE(package) << error;
    std::string xml;
    ASSERT_TRUE(package->ReadEntry(package->mainDocumentPart(), xml, error)) << error;
    EXPECT_NE(xml.find("Winding Resistance"), std::string::npos);
    EXPECT_NE(xml.find("2024-05-14 08:14:05"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("Varne_Report/Varne_Report.txt")));
    EXPECT_EQ(rawImages().size(), 1);
}

TEST_F(GetCommandTest, ShowsProgressOnlyWhenStandardErrorIsATerminal) {
    SimulatorProcess simulator({"--no-pace"});
    const ProcessResult plain = get({"--port", simulator.devicePath()});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.constData();
    EXPECT_FALSE(plain.err.contains("Receiving report"));

    // script(1) runs the command on a terminal of its own and copies what it printed.
    const QString command = test::binaryPath("varne") + " get --port " + simulator.devicePath();
    const ProcessResult onTerminal =
        test::runProgram("script", {"-qec", command, "/dev/null"}, dir_.path());
    ASSERT_EQ(onTerminal.exitCode, 0) << onTerminal.out.constData();
    EXPECT_TRUE(onTerminal.out.contains("\rReceiving report: 5121 of 5121 bytes"))
        << onTerminal.out.constData();
    EXPECT_TRUE(onTerminal.out.contains("[Getting Report...]")) << onTerminal.out.constData();
}

struct FaultCase {
    const char* fault;
    int exitCode;
    const char* message;
};

class GetCommandFaults : public GetCommandTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(GetCommandFaults, EndWithTheirStatusAndLeaveTheEarlierReportAlone) {
    const FaultCase& c = GetParam();
    writeFile(path("Varne_Report/Varne_Report.txt"), "an earlier report\r\n");
    SimulatorProcess simulator({"--no-pace", "--fault", c.fault});
    ASSERT_FALSE(simulator.devicePath().isEmpty());

    const ProcessResult result = get({"--port", simulator.devicePath()});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.constData();
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.constData();
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), "an earlier report\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GetCommandFaults,
    testing::Values(FaultCase{"no-reply", 3, kCommunicationFailedText},
                    FaultCase{"bad-checksum", 3, kCommunicationFailedText},
                    FaultCase{"split-reply", 3, kCommunicationFailedText},
                    FaultCase{"oversize-reply", 3, kCommunicationFailedText},
                    FaultCase{"link-closed", 3, kCommunicationFailedText},
                    FaultCase{"short-image", 5, "report image is incomplete: 2001 of 3584 bytes"}),
    [](const auto& param) {
        std::string name = param.param.fault;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// The default timing against a tester at the real line's pace that is slow to begin its
// report reply, or pauses inside it.
class GetCommandSlowTester : public GetCommandTest,
                             public testing::WithParamInterface<const char*> {};

TEST_P(GetCommandSlowTester, StillDownloadsTheReport) {
    SimulatorProcess simulator({"--fault", GetParam()});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    const ProcessResult result = get({"--port", simulator.devicePath()});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData()
                                  << simulator.stopAndTakeLog().constData();
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), test::expectedDemoTextReport());
    EXPECT_EQ(rawImages().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, GetCommandSlowTester, testing::Values("late=2.0", "pause=0.6"),
                         [](const auto& param) {
                             std::string name = param.param;
                             name = name.substr(0, name.find('='));
                             return name;
                         });

// A tester unplugged in the middle of its report reply ends the download at once, in either
// timing, instead of after the reply timer (2.5 s after the report request).
TEST_F(GetCommandTest, ATesterUnpluggedDuringTheReportEndsTheDownloadAtOnce) {
    struct Case {
        QStringList options;
        qint64 longestMs; // the reply timer would end it later
    };
    const std::vector<Case> cases{
        {{}, 2000},
        // Report request written at tick 3; failure told at tick 4, not at tick 6.
        {{"--faithful"}, 5200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        writeFile(path("Varne_Report/Varne_Report.txt"), "an earlier report\r\n");
        SimulatorProcess simulator({"--no-pace", "--fault", "link-closed"});
        ASSERT_FALSE(simulator.devicePath().isEmpty());
        QElapsedTimer clock;
        clock.start();
        const ProcessResult result = get(c.options + QStringList{"--port", simulator.devicePath()});
        const qint64 took = clock.elapsed();
        EXPECT_EQ(result.exitCode, 3) << result.err.constData();
        EXPECT_TRUE(result.err.contains(kCommunicationFailedText)) << result.err.constData();
        EXPECT_TRUE(result.err.contains("is gone (unplugged or switched off?)"))
            << result.err.constData();
        EXPECT_LT(took, c.longestMs);
        EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), "an earlier report\r\n");
    }
}

TEST_F(GetCommandTest, AnImageWithoutTestsWritesNothing) {
    writeFile(path("empty.bin"), QByteArray(5120, '\0'));
    SimulatorProcess simulator({"--no-pace", "--image", path("empty.bin")});
    const ProcessResult result = get({"--port", simulator.devicePath()});
    EXPECT_EQ(result.exitCode, 4) << result.err.constData();
    EXPECT_TRUE(result.err.contains("Report is not found in the tester!!!"));
    EXPECT_FALSE(QFile::exists(path("Varne_Report/Varne_Report.txt")));
    EXPECT_EQ(rawImages().size(), 1) << "the download itself is kept";
}

TEST_F(GetCommandTest, WithoutATesterNothingStarts) {
    struct Case {
        QStringList options;
        const char* reason;
    };
    const std::vector<Case> cases{
        {{}, nullptr},
        {{"--port", "/dev/varne-no-such-port"}, "no such port: /dev/varne-no-such-port"},
    };
    for (const Case& c : cases) {
        const ProcessResult result = get(c.options);
        EXPECT_EQ(result.exitCode, 2) << result.err.constData();
        EXPECT_TRUE(result.err.contains("Tester can not be found!")) << result.err.constData();
        if (c.reason != nullptr) {
            EXPECT_TRUE(result.err.contains(c.reason)) << result.err.constData();
        }
    }
    EXPECT_FALSE(QFile::exists(path("Varne_Report")));
}

TEST_F(GetCommandTest, RejectsBadUsage) {
    for (const QStringList& options :
         {QStringList{"--format", "rtf"}, QStringList{"extra"}, QStringList{"--bogus"}}) {
        EXPECT_EQ(get(options).exitCode, 1) << options.join(' ').toStdString();
    }
}

} // namespace
} // namespace varne
