// What varne get and varne render say and give when the report cannot be made as asked, where
// they find their configuration, and how each command introduces itself.

#include "base/ProgramVersion.h"
#include "report/DocxPackage.h"
#include "report/ReportDriver.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::ProcessResult;
using test::readFile;
using test::SimulatorProcess;
using test::writeFile;

class ReportOutcomeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const auto payload = test::demoPayload();
        writeFile(path("demo.bin"), QByteArray(reinterpret_cast<const char*>(payload.data()),
                                               static_cast<qsizetype>(payload.size())));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void copyShippedConfiguration(const QString& folder) const {
        QDir().mkpath(path(folder + "/Configure"));
        for (const char* name : {"Varne_Report.docx", "Varne_wordlabel.abl"}) {
            ASSERT_TRUE(QFile::copy(QString(VARNE_SOURCE_ROOT) + "/res/Configure/" + name,
                                    path(folder + "/Configure/" + name)));
        }
    }

    ProcessResult varne(const QStringList& arguments, const QString& folder = ".") const {
        QDir().mkpath(path(folder));
        return test::runProgram(test::binaryPath("varne"), arguments, path(folder));
    }

    // The Word reports below `folder`'s Varne_Report/.
    QStringList wordReports(const QString& folder) const {
        return QDir(path(folder + "/Varne_Report"))
            .entryList({"Varne_Report_*.docx"}, QDir::Files, QDir::Name);
    }

    std::string mainPart(const QString& docx) const {
        std::string error;
        const auto package = DocxPackage::Load(QFile::encodeName(path(docx)).toStdString(), error);
        std::string xml;
        if (!package || !package->ReadEntry(package->mainDocumentPart(), xml, error)) {
            return "<unreadable: " + error + ">";
        }
        return xml;
    }

    QTemporaryDir dir_;
};

TEST_F(ReportOutcomeTest, AWordReportThatCannotBeSavedExitsFive) {
    copyShippedConfiguration("here");
    writeFile(path("here/Varne_Report"), "a file of the user's");
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());

    const ProcessResult get =
        varne({"get", "--format", "docx", "--no-open", "--port", simulator.devicePath()}, "here");
    EXPECT_EQ(get.exitCode, 5) << get.err.constData();
    EXPECT_TRUE(get.err.contains("The Word report could not be saved")) << get.err.constData();
    EXPECT_TRUE(get.err.contains("could not be archived")) << get.err.constData();
    EXPECT_FALSE(get.out.contains("Save Success")) << get.out.constData();
    EXPECT_EQ(readFile(path("here/Varne_Report")), "a file of the user's");
}

// Labels that name no bookmark of the template: the report is saved, with none of the results.
TEST_F(ReportOutcomeTest, AWordReportWithoutResultsIsSavedButExitsFive) {
    copyShippedConfiguration(".");
    writeFile(path("Configure/Varne_wordlabel.abl"), "NoSuchBookmark1\nNoSuchBookmark2\n");
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());

    for (const QStringList& command :
         {QStringList{"get", "--format", "docx", "--no-open", "--port", simulator.devicePath()},
          QStringList{"render", "--format", "docx", "demo.bin"}}) {
        const QStringList before = wordReports(".");
        const ProcessResult result = varne(command);
        EXPECT_EQ(result.exitCode, 5) << command.front().toStdString() << result.err.constData();
        EXPECT_TRUE(result.out.contains("Save Success!!!")) << result.out.constData();
        EXPECT_TRUE(result.err.contains(kWordReportWithoutResults)) << result.err.constData();
        EXPECT_EQ(wordReports(".").size(), before.size() + 1) << command.front().toStdString();
    }
}

// A working directory removed under the program: the report goes where it still can, and what
// cannot be done is said, never thrown.
TEST_F(ReportOutcomeTest, AWorkingDirectoryRemovedUnderTheProgramIsTold) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"render", "--output", path("kept.txt"), path("demo.bin")}, 0, "Txt report save as"},
        {{"render", path("demo.bin")}, 5, "cannot write"},
        {{"render", "--format", "docx", path("demo.bin")}, 5, "could not be saved"},
        {{"get", "--port", simulator.devicePath()}, 5, "could not be archived"},
    };
    for (const Case& c : cases) {
        QDir().mkpath(path("gone"));
        // The shell leaves its working directory removed, then becomes varne.
        const ProcessResult result = test::runProgram(
            "sh",
            QStringList{"-c", R"(rmdir "$PWD" && exec "$0" "$@")", test::binaryPath("varne")} +
                c.arguments,
            path("gone"));
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, c.exitCode) << what << "\n" << result.err.constData();
        EXPECT_TRUE((result.out + result.err).contains(c.message))
            << what << "\n"
            << result.out.constData() << result.err.constData();
        EXPECT_FALSE(result.err.contains("terminate")) << what;
    }
    EXPECT_EQ(readFile(path("kept.txt")), test::expectedDemoTextReport());
}

// A folder without Configure/ gets the full Word report from the shipped defaults, and is told
// which folder they came from; one with its own Configure/ is not.
TEST_F(ReportOutcomeTest, WithoutConfigureTheShippedDefaultsServe) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    const QStringList get{"get", "--format", "docx", "--no-open", "--port", simulator.devicePath()};
    const QByteArray note =
        "the working directory has no Configure/ folder; using the shipped "
        "defaults in " +
        QFile::encodeName(QDir::cleanPath(test::binaryPath("../share/varne-report/Configure")));

    copyShippedConfiguration("own");
    const ProcessResult own = varne(get, "own");
    ASSERT_EQ(own.exitCode, 0) << own.err.constData();
    EXPECT_FALSE(own.err.contains("shipped")) << own.err.constData();
    ASSERT_EQ(wordReports("own").size(), 1);
    const std::string full = mainPart("own/Varne_Report/" + wordReports("own")[0]);
    EXPECT_NE(full.find("2024-05-14 08:14:05"), std::string::npos);

    const ProcessResult got = varne(get, "bare");
    ASSERT_EQ(got.exitCode, 0) << got.err.constData();
    EXPECT_EQ(got.err.count(note), 1) << got.err.constData();
    EXPECT_TRUE(got.err.startsWith("varne get: ")) << got.err.constData();
    ASSERT_EQ(wordReports("bare").size(), 1);
    EXPECT_EQ(mainPart("bare/Varne_Report/" + wordReports("bare")[0]), full);
    EXPECT_FALSE(QDir(path("bare/Configure")).exists()) << "nothing is made in the folder";

    const ProcessResult rendered =
        varne({"render", "--format", "docx", "--output", "r.docx", path("demo.bin")}, "bare");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err.constData();
    EXPECT_EQ(rendered.err.count(note), 1) << rendered.err.constData();
    EXPECT_EQ(mainPart("bare/r.docx"), full);
}

TEST_F(ReportOutcomeTest, EveryCommandNamesItselfAndItsVersion) {
    for (const char* command : {"get", "ports", "render", "simulate"}) {
        const ProcessResult help = varne({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_TRUE(help.out.startsWith("Usage: varne " + QByteArray(command) + " "))
            << help.out.constData();
        const ProcessResult version = varne({command, "--version"});
        EXPECT_EQ(version.exitCode, 0) << command;
        EXPECT_EQ(version.out, "varne " + QByteArray(kProgramVersion) + "\n") << command;
    }
    EXPECT_TRUE(varne({"get", "--help"}).out.contains("saved without results"));
    EXPECT_TRUE(varne({"render", "--help"}).out.contains("saved without results"));
}

} // namespace
} // namespace varne
