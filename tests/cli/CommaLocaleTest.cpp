// The reports written on a desktop whose locale writes a decimal comma are byte for byte those
// written under the C locale.

#include "support/CommaLocale.h"

#include "report/DocxPackage.h"
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

std::string wordMainPart(const QString& path) {
    std::string error;
    const auto package = DocxPackage::Load(QFile::encodeName(path).toStdString(), error);
    std::string xml;
    if (!package || !package->ReadEntry(package->mainDocumentPart(), xml, error)) {
        return "<unreadable: " + error + ">";
    }
    return xml;
}

class CommaLocaleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_EQ(test::commaLocaleDecimalPoint(), ",") << "the test locale writes a decimal comma";
        QDir().mkpath(path("Configure"));
        for (const char* name : {"Varne_Report.docx", "Varne_wordlabel.abl"}) {
            ASSERT_TRUE(QFile::copy(QString(VARNE_SOURCE_ROOT) + "/res/Configure/" + name,
                                    path(QString("Configure/") + name)));
        }
        const auto payload = test::demoPayload();
        test::writeFile(path("demo.bin"), QByteArray(reinterpret_cast<const char*>(payload.data()),
                                                     static_cast<qsizetype>(payload.size())));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    ProcessResult varne(const QStringList& arguments, const QProcessEnvironment& environment) {
        return test::runProgram(test::binaryPath("varne"), arguments, dir_.path(), environment);
    }

    QTemporaryDir dir_;
};

TEST_F(CommaLocaleTest, RenderWritesTheReportsOfTheCLocale) {
    struct Run {
        const char* suffix;
        QProcessEnvironment environment;
    };
    for (const Run& run :
         {Run{"c", test::cLocaleEnvironment()}, Run{"de", test::commaLocaleEnvironment()}}) {
        for (const char* format : {"txt", "docx"}) {
            const QString output = QString("%1.%2").arg(run.suffix, format);
            const ProcessResult result = varne(
                {"render", "--format", format, "--output", output, "demo.bin"}, run.environment);
            ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        }
    }
    EXPECT_EQ(readFile(path("c.txt")), test::expectedDemoTextReport());
    EXPECT_EQ(readFile(path("de.txt")), readFile(path("c.txt")));
    const std::string word = wordMainPart(path("c.docx"));
    EXPECT_NE(word.find("Trip Time:  0.312s"), std::string::npos);
    EXPECT_EQ(wordMainPart(path("de.docx")), word);
}

TEST_F(CommaLocaleTest, GetWritesTheReportsOfTheCLocale) {
    test::SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    const auto german = test::commaLocaleEnvironment();

    const ProcessResult text = varne({"get", "--port", simulator.devicePath()}, german);
    ASSERT_EQ(text.exitCode, 0) << text.err.constData();
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), test::expectedDemoTextReport());

    const ProcessResult word =
        varne({"get", "--format", "docx", "--no-open", "--port", simulator.devicePath()}, german);
    ASSERT_EQ(word.exitCode, 0) << word.err.constData();
    const QStringList reports =
        QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    const ProcessResult reference =
        varne({"render", "--format", "docx", "--output", "c.docx", "demo.bin"},
              test::cLocaleEnvironment());
    ASSERT_EQ(reference.exitCode, 0) << reference.err.constData();
    EXPECT_EQ(wordMainPart(path("Varne_Report/" + reports[0])), wordMainPart(path("c.docx")));
}

} // namespace
} // namespace varne
