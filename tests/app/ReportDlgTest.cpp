#include "ui/ReportDlg.h"

#include "app/DialogFixture.h"
#include "link/UiStepController.h"
#include "report/DocxPackage.h"
#include "report/ReportDriver.h"
#include "support/DemoReport.h"
#include "support/ProcessRunner.h"
#include "support/RecordingMessageSink.h"
#include "ui/AboutDlg.h"
#include "ui/SkinButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace varne {
namespace {

using test::FakeDeviceMap;
using test::readFile;
using test::runEventsUntil;
using test::SimulatorProcess;
using test::writeFile;

constexpr int kLongestDownloadMs = 15000;

std::vector<std::string> textsOf(const test::RecordingMessageSink& sink) {
    std::vector<std::string> texts;
    for (const auto& message : sink.messages) {
        texts.push_back(message.text);
    }
    return texts;
}

class RecordingOpener : public DocumentOpener {
public:
    OpenOutcome Open(const std::filesystem::path& document) override {
        opened.push_back(document);
        return OpenOutcome::Opened;
    }
    std::vector<std::filesystem::path> opened;
};

class ReportDlgTest : public test::TemporaryWorkingDirectory {
protected:
    // The dialog with a device map that finds no bridge (the port file decides) and an opener
    // that only notes what it was asked to open.
    std::unique_ptr<CReportDlg> makeDialog() {
        auto map = std::make_unique<FakeDeviceMap>();
        deviceMap_ = map.get();
        auto opener = std::make_unique<RecordingOpener>();
        opener_ = opener.get();
        auto dialog = std::make_unique<CReportDlg>(messages_, std::move(map), std::move(opener));
        QObject::connect(dialog.get(), &CReportDlg::ticked, [this] { ++ticks_; });
        return dialog;
    }

    // Runs the event loop through `count` more timer ticks of the dialog.
    void runTicks(int count) {
        const int until = ticks_ + count;
        ASSERT_TRUE(runEventsUntil([&] { return ticks_ >= until; }, count * 1000 + 2000));
    }

    test::RecordingMessageSink messages_;
    FakeDeviceMap* deviceMap_ = nullptr;
    RecordingOpener* opener_ = nullptr;
    int ticks_ = 0;
};

TEST_F(ReportDlgTest, GetsTheReportFromTheTesterNamedInThePortFile) {
    SimulatorProcess simulator({"--no-pace"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());

    auto dialog = makeDialog();
    dialog->show();
    CSkinButton& button = dialog->getReportButton();
    EXPECT_EQ(button.text(), kGetReportText);
    EXPECT_TRUE(button.isEnabled());
    ASSERT_TRUE(dialog->wordFormatButton().isChecked());
    dialog->textFormatButton().click();

    const QString report = path("Varne_Report/Varne_Report.txt");
    std::optional<int> writtenAtTick;
    QObject::connect(dialog.get(), &CReportDlg::ticked, [&, startTick = ticks_] {
        if (!writtenAtTick && QFile::exists(report)) {
            writtenAtTick = ticks_ - startTick;
        }
    });
    button.click();
    EXPECT_EQ(button.text(), kGettingReportText);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_TRUE(dialog->sharedState().busy);
    EXPECT_EQ(dialog->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(dialog->isPortOpen());

    ASSERT_TRUE(runEventsUntil([&] { return writtenAtTick.has_value(); }, kLongestDownloadMs))
        << simulator.stopAndTakeLog().constData();
    // Handshake written at tick 1, accepted at 2; report requested at 3, written at 4.
    EXPECT_EQ(*writtenAtTick, 4);
    EXPECT_EQ(readFile(report), test::expectedDemoTextReport());
    EXPECT_EQ(button.text(), kGetReportText);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_FALSE(dialog->sharedState().busy);
    EXPECT_NE(dialog->cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(dialog->isPortOpen());
    EXPECT_EQ(QDir(path("Varne_Report/raw")).entryList({"*.bin"}, QDir::Files).size(), 1);
    ASSERT_EQ(messages_.messages.size(), 1u) << testing::PrintToString(textsOf(messages_));
    EXPECT_EQ(messages_.messages[0].caption, "Save Success!!!");
    EXPECT_EQ(messages_.messages[0].text,
              "Txt report save as " +
                  QFile::encodeName(QDir(dir_.path()).filePath("Varne_Report/Varne_Report.txt"))
                      .toStdString());
}

TEST_F(ReportDlgTest, TheWordReportIsSavedFromTheTemplateAndOpened) {
    SimulatorProcess simulator({"--no-pace"});
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());

    auto dialog = makeDialog();
    dialog->show();
    ASSERT_TRUE(dialog->wordFormatButton().isChecked());
    dialog->getReportButton().click();
    ASSERT_TRUE(runEventsUntil([&] { return !dialog->sharedState().busy; }, kLongestDownloadMs))
        << simulator.stopAndTakeLog().constData();

    const QStringList reports =
        QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files);
    ASSERT_EQ(reports.size(), 1) << testing::PrintToString(textsOf(messages_));
    ASSERT_EQ(opener_->opened.size(), 1u);
    EXPECT_EQ(opener_->opened[0].filename().string(), reports[0].toStdString());
    std::string error;
    const auto package = DocxPackage::Load(path("Varne_Report/" + reports[0]).toStdString(), error);
    ASSERT_TRUE(package) << error;
    std::string xml;
    ASSERT_TRUE(package->ReadEntry(package->mainDocumentPart(), xml, error)) << error;
    EXPECT_NE(xml.find("Excitation Curve"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("Varne_Report/Varne_Report.txt")));
    EXPECT_FALSE(dialog->isPortOpen());
}

// Labels that name no bookmark of the template: the report is saved, and the user learns that
// it holds none of the results.
TEST_F(ReportDlgTest, AWordReportWithoutResultsIsSavedAndSaidSo) {
    SimulatorProcess simulator({"--no-pace"});
    copyShippedConfiguration();
    writeFile(path("Configure/Varne_wordlabel.abl"), "NoSuchBookmark1\nNoSuchBookmark2\n");
    writePortFile(simulator.devicePath());

    auto dialog = makeDialog();
    dialog->show();
    ASSERT_TRUE(dialog->wordFormatButton().isChecked());
    dialog->getReportButton().click();
    ASSERT_TRUE(runEventsUntil([&] { return !dialog->sharedState().busy; }, kLongestDownloadMs))
        << simulator.stopAndTakeLog().constData();

    EXPECT_EQ(QDir(path("Varne_Report")).entryList({"Varne_Report_*.docx"}, QDir::Files).size(), 1);
    ASSERT_EQ(messages_.messages.size(), 2u) << testing::PrintToString(textsOf(messages_));
    EXPECT_EQ(messages_.messages[0].caption, "Save Success!!!");
    EXPECT_EQ(messages_.messages[1].text, kWordReportWithoutResults);
    EXPECT_EQ(messages_.messages[1].kind, MessageKind::Error);
}

TEST_F(ReportDlgTest, ATesterThatDoesNotAnswerIsReportedOnce) {
    SimulatorProcess simulator({"--no-pace", "--fault", "no-reply"});
    ASSERT_FALSE(simulator.devicePath().isEmpty());
    copyShippedConfiguration();
    writePortFile(simulator.devicePath());
    writeFile(path("Varne_Report/Varne_Report.txt"), "an earlier report\r\n");

    auto dialog = makeDialog();
    dialog->show();
    dialog->textFormatButton().click();
    dialog->getReportButton().click();
    ASSERT_TRUE(dialog->sharedState().busy);

    ASSERT_TRUE(runEventsUntil([&] { return !messages_.messages.empty(); }, kLongestDownloadMs));
    runTicks(2);
    EXPECT_EQ(textsOf(messages_), std::vector<std::string>{kCommunicationFailedText});
    EXPECT_EQ(dialog->getReportButton().text(), kGetReportText);
    EXPECT_TRUE(dialog->getReportButton().isEnabled());
    EXPECT_FALSE(dialog->sharedState().busy);
    EXPECT_NE(dialog->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(dialog->isPortOpen()) << "left open; the next start reopens it";
    EXPECT_EQ(readFile(path("Varne_Report/Varne_Report.txt")), "an earlier report\r\n");
}

TEST_F(ReportDlgTest, TheButtonFollowsTheTesterBeingPluggedIn) {
    copyShippedConfiguration(); // no port file
    auto dialog = makeDialog();
    dialog->show();
    CSkinButton& button = dialog->getReportButton();
    EXPECT_EQ(button.text(), kConnectTesterText);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(dialog->sharedState().outcome, DownloadOutcome::FailureReported);

    deviceMap_->port = "/dev/varne-no-such-port";
    runTicks(1);
    EXPECT_EQ(button.text(), kGetReportText);
    EXPECT_TRUE(button.isEnabled());

    // Known but not there: nothing starts, the user is told why.
    button.click();
    EXPECT_EQ(textsOf(messages_), std::vector<std::string>{kTesterNotFoundText});
    EXPECT_FALSE(dialog->sharedState().busy);
    EXPECT_EQ(button.text(), kGetReportText);

    deviceMap_->port.reset();
    runTicks(1);
    EXPECT_EQ(button.text(), kConnectTesterText);
    EXPECT_FALSE(button.isEnabled());
}

TEST_F(ReportDlgTest, LooksAsItsTemplateSays) {
    copyShippedConfiguration();
    auto dialog = makeDialog();
    EXPECT_TRUE(messages_.messages.empty()) << testing::PrintToString(textsOf(messages_));
    EXPECT_TRUE(dialog->wordFormatButton().isChecked());
    EXPECT_FALSE(dialog->textFormatButton().isChecked());
    EXPECT_EQ(dialog->textFormatButton().text(), "Txt  format report");
    EXPECT_TRUE(dialog->titleLabel().text().startsWith("Varne "));
    EXPECT_TRUE(dialog->titleLabel().text().endsWith(" V3.12"));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));

    // Sized and shaped by the skin.
    EXPECT_EQ(dialog->size(), QSize(400, 400));
    ASSERT_TRUE(dialog->shape().has_value());
    EXPECT_EQ(dialog->mask(), *dialog->shape());
    EXPECT_FALSE(dialog->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dialog->mask().contains(QPoint(200, 200)));
    EXPECT_TRUE(dialog->testAttribute(Qt::WA_TranslucentBackground));

    // A 119 x 28 unit button is 238 x 52 pixels, and the longest caption fits its face.
    CSkinButton& button = dialog->getReportButton();
    EXPECT_EQ(button.geometry(), QRect(86, 180, 238, 52));
    const int face = button.width() - 2 * CSkinButton::kEdge;
    EXPECT_LE(QFontMetrics(button.font()).horizontalAdvance(kConnectTesterText), face);
    EXPECT_LE(
        QFontMetrics(dialog->titleLabel().font()).horizontalAdvance(dialog->titleLabel().text()),
        dialog->titleLabel().width());
}

// Closes the About box once it is up, noting what it showed.
struct AboutBoxSeen {
    QString caption;
    QStringList labels;
};

void closeAboutBoxWhenShown(AboutBoxSeen& seen) {
    QTimer::singleShot(50, [&seen] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (about == nullptr) {
            closeAboutBoxWhenShown(seen);
            return;
        }
        seen.caption = about->windowTitle();
        for (const QLabel* label : about->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                seen.labels << label->text();
            }
        }
        about->accept();
    });
}

TEST_F(ReportDlgTest, TheWindowMenuOpensTheAboutBox) {
    copyShippedConfiguration();
    auto dialog = makeDialog();
    dialog->show();
    const auto menu = dialog->makeWindowMenu();
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* about = menu->actions().front();
    EXPECT_EQ(about->text(), "?? Lumenta(&A)...");

    AboutBoxSeen seen;
    closeAboutBoxWhenShown(seen);
    about->trigger();
    EXPECT_EQ(seen.caption, "About...");
    EXPECT_EQ(seen.labels, (QStringList{"Varne Series Relay Tester Report", "V3.12"}));

    // Command ids are compared without their low four bits; others do nothing.
    AboutBoxSeen again;
    closeAboutBoxWhenShown(again);
    dialog->OnSysCommand(0x1F);
    EXPECT_EQ(again.caption, "About...");
    dialog->OnSysCommand(0x20);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ReportDlgTest, EnterAndEscapeEndTheDialog) {
    copyShippedConfiguration();
    writePortFile("/dev/varne-no-such-port");
    const struct {
        Qt::Key key;
        int result;
    } cases[] = {{Qt::Key_Return, QDialog::Accepted},
                 {Qt::Key_Enter, QDialog::Accepted},
                 {Qt::Key_Escape, QDialog::Rejected}};
    for (const auto& c : cases) {
        auto dialog = makeDialog();
        dialog->setResult(-1);
        dialog->show();
        // Sent to the focused "Get Report" button: it is no default button and starts nothing.
        dialog->getReportButton().setFocus();
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(&dialog->getReportButton(), &press);
        EXPECT_EQ(dialog->result(), c.result) << c.key;
        EXPECT_FALSE(dialog->isVisible()) << c.key;
        EXPECT_FALSE(dialog->sharedState().busy) << c.key;
    }
    EXPECT_TRUE(messages_.messages.empty()) << testing::PrintToString(textsOf(messages_));
}

TEST_F(ReportDlgTest, DraggingTheBackgroundMovesTheWindow) {
    copyShippedConfiguration();
    auto dialog = makeDialog();
    dialog->move(100, 50);
    dialog->show();
    ASSERT_TRUE(runEventsUntil([&] { return dialog->isVisible(); }, 2000));
    const QPoint start = dialog->pos();

    // From a point of the background (on the title), 40 right and 25 down.
    const QPointF local(200, 60);
    const auto send = [&](QEvent::Type type, QPointF offset, Qt::MouseButtons buttons) {
        const QPointF global = QPointF(start) + local + offset;
        QMouseEvent event(type, local + offset, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &event);
    };
    send(QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
    send(QEvent::MouseMove, {20, 10}, Qt::LeftButton);
    send(QEvent::MouseMove, {40, 25}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {40, 25}, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start + QPoint(40, 25));

    // Once released, moving the mouse leaves the window where it is.
    send(QEvent::MouseMove, {80, 80}, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start + QPoint(40, 25));
}

} // namespace
} // namespace varne
