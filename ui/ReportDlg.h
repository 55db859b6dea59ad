#pragma once

#include "base/ConfigFiles.h"
#include "library/LibraryReportGenerator.h"
#include "link/ConfiguredTesterFinder.h"
#include "link/DownloadSession.h"
#include "link/LinkLayer.h"
#include "link/PortDiscovery.h"
#include "link/SerialDeviceMap.h"
#include "link/SerialPortDriver.h"
#include "link/SharedState.h"
#include "link/UiStepController.h"
#include "report/ArchivingReportGenerator.h"
#include "report/DocumentOpener.h"
#include "report/WordReport.h"
#include "ui/PushButtonView.h"
#include "ui/SkinButton.h"

#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRadioButton>
#include <QRegion>
#include <QTimer>
#include <memory>
#include <optional>

class QMenu;

namespace varne {

class MessageSink;

// The program's window: a frameless dialog shaped and painted by the skin, with the report
// format choice and the "Get Report", "About" and "Exit" buttons. It owns everything a
// download needs; its one-second timer drives the link, the download session and the UI step.
// Its configuration comes from below the working directory at construction.
class CReportDlg : public QDialog {
    Q_OBJECT

public:
    // Messages go to `messages`; the tester is looked for in the system's serial devices.
    explicit CReportDlg(MessageSink& messages, QWidget* parent = nullptr);
    // The same with the serial device map given, and the opener that puts a saved Word report
    // in front of the user (by default the desktop's application).
    CReportDlg(MessageSink& messages, std::unique_ptr<SerialDeviceMap> deviceMap,
               std::unique_ptr<DocumentOpener> opener = nullptr, QWidget* parent = nullptr);
    ~CReportDlg() override;
    CReportDlg(const CReportDlg&) = delete;
    CReportDlg& operator=(const CReportDlg&) = delete;

    // The window's menu (opened by the right mouse button): the About command.
    std::unique_ptr<QMenu> makeWindowMenu();

    CSkinButton& getReportButton() { return m_btnGetReport; }
    QRadioButton& wordFormatButton() { return m_radioWord; }
    QRadioButton& textFormatButton() { return m_radioText; }
    const QLabel& titleLabel() const { return m_title; }
    const SharedState& sharedState() const { return shared_; }
    bool isPortOpen() const { return driver_.IsOpen(); }
    // The window's shape from the skin; empty when the skin gave none.
    const std::optional<QRegion>& shape() const { return shape_; }

    void OnGetReport();
    void OnAbout();
    void OnExit();
    // A command of the window's menu: the About command opens the About box.
    void OnSysCommand(int commandId);

signals:
    // After every timer tick.
    void ticked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void placeControls();
    void OnTimer();
    void followBusyCursor();
    ReportOutput chosenOutput() const;

    MessageSink& messages_;
    std::unique_ptr<SerialDeviceMap> deviceMap_;
    ConfigPaths paths_;
    Configuration config_;
    PortDiscovery discovery_;
    ConfiguredTesterFinder finder_;

    SharedState shared_;
    LinkLayer link_;
    DownloadSession session_;
    SerialPortDriver driver_;

    std::unique_ptr<DocumentOpener> opener_;
    CWordReport word_;
    ArchivingReportGenerator report_;
    library::LibraryReportGenerator libraryReport_; // adds each written download to the library

    QImage m_skin;
    std::optional<QRegion> shape_;

    QLabel m_title;
    QGroupBox m_groupFormat;
    QRadioButton m_radioWord;
    QRadioButton m_radioText;
    CSkinButton m_btnRefresh;
    CSkinButton m_btnAbout;
    CSkinButton m_btnExit;
    CSkinButton m_btnGetReport;

    PushButtonView buttonView_;
    UiStepController ui_;
    QTimer timer_;

    // Where the window was grabbed, while it is moved by hand (window systems that cannot
    // move it themselves).
    std::optional<QPoint> grabOffset_;
};

} // namespace varne
