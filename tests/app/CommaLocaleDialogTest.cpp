// The dialog on a desktop whose locale writes a decimal comma: its reports are byte for byte
// those written under the C locale. The test program enters that locale before its application
// object is made, as a German desktop starts the dialog.

#include "app/DialogFixture.h"
#include "base/CNumberConventions.h"
#include "report/DocxPackage.h"
#include "support/CommaLocale.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "ui/ReportDlg.h"
#include "ui/SkinButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <clocale>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::readFile;
using test::runEventsUntil;

constexpr int kLongestDownloadMs = 15000;

std::string wordMainPart(const QString& path) {
    std::string error;
    const auto package = DocxPackage::Load(QFile::encodeName(path).toStdString(), error);
    std::string xml;
    if (!package || !package->ReadEntry(package->mainDocumentPart(), xml, error)) {
        return "<unreadable: " + error + ">";
    }
    return xml;
}

class SilentOpener : public DocumentOpener {
public:
    OpenOutcome Open(const std::filesystem::path& /*document*/) override {
        return OpenOutcome::Opened;
    }
};

using CommaLocaleDialogTest = test::TemporaryWorkingDirectory;

TEST_F(CommaLocaleDialogTest, WritesTheReportsOfTheCLocale) {
    ASSERT_EQ(test::commaLocaleDecimalPoint(), ",") << "the test locale writes a decimal comma";
    // The application object took the user's locale, all but its numbers.
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "de_DE.UTF-8");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

    test::SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());
    test::RecordingMessageSink messages;
    CReportDlg dialog(messages, std::make_unique<test::FakeDeviceMap>(),
                      std::make_unique<SilentOpener>());
    dialog.show();
    for (QAbstractButton* format : {static_cast<QAbstractButton*>(&dialog.textFormatButton()),
                                    static_cast<QAbstractButton*>(&dialog.wordFormatButton())}) {
        format->click();
        dialog.getReportButton().click();
        ASSERT_TRUE(runEventsUntil([&] { return !dialog.sharedState().busy; }, kLongestDownloadMs))
            << simulator.stopAndTakeLog().constData();
    }

    const QStringList images =
        QDir(path("Varne_Report/raw")).entryList({"*.bin"}, QDir::Files, QDir::Name);
    const QStringList words =
        QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files);
    ASSERT_EQ(images.size(), 2);
    ASSERT_EQ(words.size(), 1);
    const QString image = path("Varne_Report/raw/" + images[0]);
    for (const char* format : {"txt", "docx"}) {
        const test::ProcessResult reference = test::runProgram(
            test::binaryPath("varne"),
            {"render", "--format", format, "--output", QString("c.") + format, image}, dir_.path(),
            test::cLocaleEnvironment());
        ASSERT_EQ(reference.exitCode, 0) << reference.err.constData();
    }
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), readFile(path("c.txt")));
    EXPECT_EQ(readFile(path("c.txt")), test::expectedDemoTextReport());
    EXPECT_EQ(wordMainPart(path("Varne_Report/" + words[0])), wordMainPart(path("c.docx")));
}

} // namespace
} // namespace varne

int main(int argc, char** argv) {
    varne::test::enterCommaLocaleEnvironment();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    varne::KeepCNumberConventions();
    return RUN_ALL_TESTS();
}
