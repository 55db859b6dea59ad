// The dialog's own timing against a tester at the real line's pace, a tester unplugged during
// a download or while idle, and the reasons a port cannot be opened.

#include "app/DialogFixture.h"
#include "link/SerialPortDriver.h"
#include "link/UiStepController.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "ui/MessageBoxSink.h"
#include "ui/ReportDlg.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSerialPort>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace varne {
namespace {

using test::FakeDeviceMap;
using test::readFile;
using test::runEventsUntil;
using test::SimulatorProcess;
using test::writeFile;

constexpr int kLongestDownloadMs = 15000;

class NoOpener : public DocumentOpener {
public:
    OpenOutcome Open(const std::filesystem::path& /*document*/) override {
        return OpenOutcome::Opened;
    }
};

class DialogLinkTest : public test::TemporaryWorkingDirectory {
protected:
    // The dialog, with discovery finding the bridge on `port` (none: not plugged in).
    std::unique_ptr<CReportDlg> makeDialog(std::optional<std::string> port = std::nullopt) {
        auto map = std::make_unique<FakeDeviceMap>();
        map->port = std::move(port);
        deviceMap_ = map.get();
        auto dialog =
            std::make_unique<CReportDlg>(messages_, std::move(map), std::make_unique<NoOpener>());
        QObject::connect(dialog.get(), &CReportDlg::ticked, [this] { ++ticks_; });
        dialog->show();
        dialog->textFormatButton().click();
        return dialog;
    }

    void runTicks(int count) {
        const int until = ticks_ + count;
        ASSERT_TRUE(runEventsUntil([&] { return ticks_ >= until; }, count * 1000 + 2000));
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& message : messages_.messages) {
            all.push_back(message.text);
        }
        return all;
    }

    test::RecordingMessageSink messages_;
    FakeDeviceMap* deviceMap_ = nullptr;
    int ticks_ = 0;
};

TEST_F(DialogLinkTest, TheReportAtTheLinesPaceArrivesWithinTheReceiveWait) {
    SimulatorProcess simulator; // 5121 bytes take 1.33 s at 38400 baud; the wait is 1.5 s
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());
    auto dialog = makeDialog();

    const QString report = path("Varne_Report/Varne_Report.txt");
    std::optional<int> writtenAtTick;
    QObject::connect(dialog.get(), &CReportDlg::ticked, [&, startTick = ticks_] {
        if (!writtenAtTick && QFile::exists(report)) {
            writtenAtTick = ticks_ - startTick;
        }
    });
    dialog->getReportButton().click();
    ASSERT_TRUE(runEventsUntil([&] { return !dialog->sharedState().busy; }, kLongestDownloadMs))
        << simulator.stopAndTakeLog().constData();
    ASSERT_TRUE(writtenAtTick.has_value()) << testing::PrintToString(texts());
    // One receive event takes the whole reply as one block: written at the tick after.
    EXPECT_EQ(*writtenAtTick, 4);
    EXPECT_EQ(readFile(report), test::expectedDemoTextReport());
    ASSERT_EQ(messages_.messages.size(), 1u) << testing::PrintToString(texts());
    EXPECT_EQ(messages_.messages[0].caption, "Save Success!!!");
}

TEST_F(DialogLinkTest, ATesterUnpluggedDuringTheReportFailsAtOnce) {
    SimulatorProcess simulator({"--fault", "link-closed"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());
    writeFile(path("Varne_Report/Varne_Report.txt"), "an earlier report\r\n");
    auto dialog = makeDialog();

    std::optional<int> toldAtTick;
    QObject::connect(dialog.get(), &CReportDlg::ticked, [&, startTick = ticks_] {
        if (!toldAtTick && !messages_.messages.empty()) {
            toldAtTick = ticks_ - startTick;
        }
    });
    dialog->getReportButton().click();
    ASSERT_TRUE(runEventsUntil([&] { return toldAtTick.has_value(); }, kLongestDownloadMs));
    // The report request goes out at tick 3 and the line closes during its reply; the reply
    // timer would tell only at tick 6.
    EXPECT_LE(*toldAtTick, 5);
    runTicks(1);
    EXPECT_EQ(texts(), std::vector<std::string>{kCommunicationFailedText});
    EXPECT_FALSE(dialog->isPortOpen());
    EXPECT_FALSE(dialog->sharedState().busy);
    EXPECT_EQ(dialog->getReportButton().text(), kGetReportText);
    EXPECT_TRUE(dialog->getReportButton().isEnabled());
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), "an earlier report\r\n");
}

// Discovery (not the port file, which it trusts) decides here, as with a USB bridge.
TEST_F(DialogLinkTest, ATesterUnpluggedWhileIdleIsFoundAgainUnderAnotherName) {
    auto first =
        std::make_unique<SimulatorProcess>(QStringList{"--no-pace", "--fault", "no-reply"});
    ASSERT_FALSE(first->devicePath().isEmpty());
    copyShippedConfiguration();
    auto dialog = makeDialog(first->devicePath().toStdString());
    ASSERT_EQ(dialog->getReportButton().text(), kGetReportText);

    dialog->getReportButton().click();
    ASSERT_TRUE(runEventsUntil([&] { return !messages_.messages.empty(); }, kLongestDownloadMs));
    EXPECT_EQ(texts(), std::vector<std::string>{kCommunicationFailedText});
    ASSERT_TRUE(dialog->isPortOpen()) << "left open after the failure";

    // Unplugged: the dead port is closed, and the button asks for the tester.
    SimulatorProcess second({"--no-pace"}); // started first, so that it has another name
    ASSERT_FALSE(second.devicePath().isEmpty());
    first.reset();
    deviceMap_->port.reset();
    EXPECT_TRUE(runEventsUntil([&] { return !dialog->isPortOpen(); }, 2000));
    runTicks(1);
    EXPECT_EQ(dialog->getReportButton().text(), kConnectTesterText);
    EXPECT_FALSE(dialog->getReportButton().isEnabled());

    // Plugged in again under another name: found, and the next download opens that port.
    deviceMap_->port = second.devicePath().toStdString();
    runTicks(1);
    EXPECT_EQ(dialog->getReportButton().text(), kGetReportText);
    ASSERT_TRUE(dialog->getReportButton().isEnabled());
    dialog->getReportButton().click();
    EXPECT_TRUE(dialog->sharedState().busy);
    EXPECT_TRUE(dialog->isPortOpen());
    EXPECT_EQ(dialog->sharedState().portNumber,
              SerialPortDriver::portNumberOf(second.devicePath().toStdString()));
    EXPECT_EQ(texts(), std::vector<std::string>{kCommunicationFailedText});
}

TEST_F(DialogLinkTest, APortThatCannotBeOpenedIsToldWithItsReason) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    QSerialPort holder(simulator.devicePath()); // another user of the port
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const std::string inUse = simulator.devicePath().toStdString();

    writeFile(path("locked-port"), "");
    QFile::setPermissions(path("locked-port"), QFileDevice::Permissions());
    const std::string locked = QFile::encodeName(path("locked-port")).toStdString();

    struct Case {
        std::string port;
        std::string reason;
    };
    std::vector<Case> cases{
        {"/dev/varne-no-such-port", "no such port: /dev/varne-no-such-port"},
        // The simulator keeps its side of the line open too, and /proc tells its name.
        {inUse, inUse + " is in use by another program: varne (process "},
    };
    if (::geteuid() != 0) { // permissions do not stop the superuser
        cases.push_back({locked, "permission denied on " + locked +
                                     ": join the dialout group (sudo usermod -aG dialout $USER)"
                                     " or install the udev rule that comes with the program, "
                                     "then log in again or replug the tester"});
    }
    copyShippedConfiguration();
    auto dialog = makeDialog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        messages_.messages.clear();
        messages_.details.clear();
        deviceMap_->port = c.port;
        runTicks(1);
        dialog->getReportButton().click();
        EXPECT_EQ(texts(), std::vector<std::string>{kTesterNotFoundText});
        ASSERT_EQ(messages_.details.size(), 1u);
        EXPECT_EQ(messages_.details[0].rfind(c.reason, 0), 0u) << messages_.details[0];
        EXPECT_FALSE(dialog->sharedState().busy);
    }
}

TEST(MessageBoxSink, ShowsTheDetailAsTheBoxsInformativeText) {
    MessageBoxSink sink;
    QString text;
    QString informative;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            informative = box->informativeText();
            box->accept();
        }
    });
    sink.warning(kTesterNotFoundText, "no such port: /dev/ttyUSB0");
    EXPECT_EQ(text, kTesterNotFoundText);
    EXPECT_EQ(informative, "no such port: /dev/ttyUSB0");
}

} // namespace
} // namespace varne
