#include "app/ReportApp.h"

#include "app/DialogFixture.h"
#include "app/ProcessList.h"
#include "support/FakeProcessList.h"
#include "support/RecordingMessageSink.h"
#include "ui/ReportDlg.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

namespace varne {
namespace {

namespace fs = std::filesystem;

using test::FakeProcessList;

using ReportAppTest = test::TemporaryWorkingDirectory;

TEST_F(ReportAppTest, RefusesToStartBesideAnotherSuiteProgram) {
    FakeProcessList processes({"bash", "orvex_slope.exe", "orvex_report"});
    test::RecordingMessageSink messages;
    const fs::path workDirectory = QFile::encodeName(path("Varne Report")).toStdString();
    CReportApp app({processes, messages, workDirectory, test::shippedConfigureDirectory()});

    EXPECT_EQ(app.InitInstance(), 1);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "A test program is running now!!");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_FALSE(fs::exists(workDirectory)) << "a refused start leaves no trace";
}

TEST_F(ReportAppTest, AloneItShowsTheDialogInItsWorkDirectory) {
    FakeProcessList processes({"bash", "orvex_report"});
    test::RecordingMessageSink messages;
    const fs::path workDirectory = QFile::encodeName(path("Varne Report")).toStdString();
    CReportApp app({processes, messages, workDirectory, test::shippedConfigureDirectory()});

    bool dialogShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<CReportDlg*>(QApplication::activeModalWidget())) {
            dialogShown = dialog->isVisible();
            dialog->reject();
        }
    });
    closer.start(20);

    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(fs::current_path(), workDirectory);
    EXPECT_TRUE(fs::exists(workDirectory / "Configure" / "Varne_wordlabel.abl"));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front().text;
}

} // namespace
} // namespace varne
