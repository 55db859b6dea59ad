#include "app/DialogFixture.h"
#include "library/RecordLibrary.h"
#include "library/RecordSelection.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "ui/ReportDlg.h"

#include <QFile>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::SimulatorProcess;

constexpr int kLongestDownloadMs = 15000;

class NoOpener : public DocumentOpener {
public:
    OpenOutcome Open(const std::filesystem::path&) override { return OpenOutcome::Opened; }
};

class ReportDlgLibraryTest : public test::TemporaryWorkingDirectory {
protected:
    void TearDown() override {
        qunsetenv("VARNE_LIBRARY");
        TemporaryWorkingDirectory::TearDown();
    }

    // One download through the dialog's button, to its last message.
    void download(CReportDlg& dialog) {
        const std::size_t before = messages_.messages.size();
        dialog.getReportButton().click();
        ASSERT_TRUE(test::runEventsUntil(
            [&] { return !dialog.sharedState().busy && messages_.messages.size() > before; },
            kLongestDownloadMs));
        test::runEventsUntil([] { return false; }, 100); // any message after the report's own
    }

    test::RecordingMessageSink messages_;
};

TEST_F(ReportDlgLibraryTest, AddsEachDownloadToTheLibraryThatVarneLibraryNames) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());
    qputenv("VARNE_LIBRARY", QFile::encodeName(path("team.sqlite")));

    auto map = std::make_unique<test::FakeDeviceMap>();
    CReportDlg dialog(messages_, std::move(map), std::make_unique<NoOpener>());
    dialog.show();
    dialog.textFormatButton().click();
    download(dialog);
    ASSERT_EQ(messages_.messages.size(), 1u) << "a library that takes the download says nothing";
    EXPECT_EQ(messages_.messages[0].caption, "Save Success!!!");
    {
        library::LibraryLocation location;
        location.file = path("team.sqlite").toStdString();
        library::RecordLibrary library(location, library::RecordLibrary::Access::Read);
        const auto records = library::SelectRecords(library, {}, library::RecordDetail::Full);
        EXPECT_FALSE(records.empty());
        for (const auto& r : records) {
            EXPECT_EQ(r.downloads.size(), 1u);
        }
    }
    EXPECT_FALSE(QFile::exists(path("Varne_Report/records.sqlite")));

    // A library that cannot be written: the report stands, and the user is told after it.
    test::writeFile(path("team.sqlite"), QByteArray(2048, 'x'));
    QFile::remove(path("Varne_Report/Varne_Report.txt"));
    download(dialog);
    ASSERT_EQ(messages_.messages.size(), 3u);
    EXPECT_EQ(messages_.messages[1].caption, "Save Success!!!");
    EXPECT_EQ(messages_.messages[2].kind, MessageKind::Warning);
    EXPECT_NE(messages_.messages[2].text.find("record library"), std::string::npos)
        << messages_.messages[2].text;
    EXPECT_NE(messages_.messages[2].text.find("varne import"), std::string::npos);
    EXPECT_EQ(test::readFile(path("Varne_Report/Varne_Report.txt")),
              test::expectedDemoTextReport());
    EXPECT_EQ(test::readFile(path("team.sqlite")), QByteArray(2048, 'x'));
}

} // namespace
} // namespace varne
