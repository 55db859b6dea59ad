#include "ui/ReportDlg.h"

#include "base/MessageSink.h"
#include "link/SysfsSerialDeviceMap.h"
#include "link/TimerTick.h"
#include "report/XdgDocumentOpener.h"
#include "ui/AboutDlg.h"
#include "ui/DialogUnits.h"
#include "ui/ProductInfo.h"
#include "ui/ResourcePaths.h"
#include "ui/SkinPainter.h"
#include "ui/SkinRegion.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QWindow>

namespace varne {

namespace {

// The title is light on the dark top of the skin; the format choice sits on the light plate
// and needs dark text.
const QColor kTitleColour(230, 230, 230);
const QColor kPlateTextColour(24, 32, 44);

// Wide enough that "Please connect to the tester!" fits the Get Report button's face.
constexpr int kDialogFontPixels = 13;

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget.setPalette(palette);
}

QFont dialogFont(bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kDialogFontPixels);
    font.setBold(bold);
    return font;
}

// Word reports are saved beside the text report and opened with the desktop's application.
WordReportOptions wordReportOptions(const ConfigPaths& paths, DocumentOpener& opener) {
    WordReportOptions options;
    options.outputDirectory = paths.textReportPath.parent_path();
    options.opener = &opener;
    return options;
}

} // namespace

CReportDlg::CReportDlg(MessageSink& messages, QWidget* parent)
    : CReportDlg(messages, std::make_unique<SysfsSerialDeviceMap>(), nullptr, parent) {}

CReportDlg::CReportDlg(MessageSink& messages, std::unique_ptr<SerialDeviceMap> deviceMap,
                       std::unique_ptr<DocumentOpener> opener, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), messages_(messages),
      deviceMap_(std::move(deviceMap)), paths_(BuildPaths()), discovery_(*deviceMap_),
      finder_(discovery_, config_), session_(link_, shared_),
      driver_(
          shared_, link_, [this] { return finder_.portName(); }, SerialTiming::faithful()),
      opener_(opener ? std::move(opener) : std::make_unique<XdgDocumentOpener>()),
      word_(messages_, wordReportOptions(paths_, *opener_)),
      report_({shared_, paths_.textReportPath.parent_path() / "raw", paths_.textReportPath,
               paths_.templatePath, config_.m_strLabel, [this] { return chosenOutput(); },
               [this] { return finder_.portName(); },
               [this]() -> WordReportWriter* { return &word_; }, messages_}),
      libraryReport_({report_, shared_,
                      [this](std::string& error) {
                          return library::ResolveLibraryLocation(
                              std::nullopt, library::DefaultLibraryFile(paths_.textReportPath),
                              error);
                      },
                      messages_, nullptr}),
      m_skin(QString::fromUtf8(kSkinResourcePath)), m_title(this), m_groupFormat(this),
      m_radioWord(this), m_radioText(this), m_btnRefresh(this), m_btnAbout(this), m_btnExit(this),
      m_btnGetReport(this), buttonView_(m_btnGetReport),
      ui_({shared_, link_, session_, driver_, finder_, libraryReport_, buttonView_, messages_}) {
    OnInitDialog();
}

CReportDlg::~CReportDlg() = default;

void CReportDlg::OnInitDialog() {
    placeControls();

    QIcon icon;
    icon.addFile(QString::fromUtf8(kIconResourcePath));
    icon.addFile(QString::fromUtf8(kSmallIconResourcePath));
    setWindowIcon(icon);
    setWindowTitle(QString::fromUtf8(kProductTitle));

    // The window is the skin: its size, and its shape where the key colour is cut out. The
    // ground outside the shape stays transparent, so the outline holds also where a window
    // system ignores the mask.
    if (!m_skin.isNull()) {
        setFixedSize(m_skin.size());
    }
    shape_ = BuildSkinRegion(m_skin, kSkinKeyColour, kSkinTolerance);
    setAttribute(Qt::WA_TranslucentBackground);
    if (shape_) {
        setMask(*shape_);
    }

    ReadConfigFiles(paths_, config_, messages_);

    m_radioWord.setChecked(true);
    shared_.busy = false;

    link_.configure(session_);
    // The receive event: the tester's bytes reach the link layer between ticks.
    connect(&driver_.comm(), &CMSComm::OnComm, this, [this] { driver_.OnCommEvent(); });

    ui_.initialDiscovery();
    shared_.uiPhase = UiPhase::Idle;
    connect(&timer_, &QTimer::timeout, this, &CReportDlg::OnTimer);
    timer_.start(kDialogTickMs);
    shared_.sessionState = SessionState::Idle;
}

void CReportDlg::placeControls() {
    setFont(dialogFont(false));

    m_title.setText(QString::fromUtf8(kProductTitle) + ' ' + QString::fromUtf8(kProductVersion));
    m_title.setGeometry(DialogUnitRect(15, 6, 149, 8));
    m_title.setFont(dialogFont(true));
    setTextColour(m_title, kTitleColour);

    m_groupFormat.setTitle(QStringLiteral("Report Format"));
    m_groupFormat.setGeometry(DialogUnitRect(34, 52, 138, 39));
    m_groupFormat.setFont(dialogFont(true));
    setTextColour(m_groupFormat, kPlateTextColour);

    m_radioWord.setText(QStringLiteral("Word format report"));
    m_radioWord.setGeometry(DialogUnitRect(59, 61, 91, 12));
    m_radioText.setText(QStringLiteral("Txt  format report"));
    m_radioText.setGeometry(DialogUnitRect(59, 76, 93, 10));
    for (QRadioButton* radio : {&m_radioWord, &m_radioText}) {
        setTextColour(*radio, kPlateTextColour);
    }

    const auto placeButton = [](CSkinButton& button, const char* text, const QRect& where) {
        button.setText(QString::fromUtf8(text));
        button.setGeometry(where);
        button.setFont(dialogFont(true));
        // No default button: Enter ends the dialog, whichever button has the focus.
        button.setAutoDefault(false);
        button.setDefault(false);
    };
    placeButton(m_btnRefresh, "Refresh", DialogUnitRect(7, 99, 33, 24));
    placeButton(m_btnGetReport, kGetReportText, DialogUnitRect(43, 96, 119, 28));
    placeButton(m_btnAbout, "About...(&A)", DialogUnitRect(43, 126, 119, 28));
    placeButton(m_btnExit, "Exit(&E)", DialogUnitRect(43, 156, 119, 28));
    // "Refresh" stays hidden and does nothing.
    m_btnRefresh.hide();

    connect(&m_btnGetReport, &QPushButton::clicked, this, &CReportDlg::OnGetReport);
    connect(&m_btnAbout, &QPushButton::clicked, this, &CReportDlg::OnAbout);
    connect(&m_btnExit, &QPushButton::clicked, this, &CReportDlg::OnExit);
}

std::unique_ptr<QMenu> CReportDlg::makeWindowMenu() {
    auto menu = std::make_unique<QMenu>(this);
    QAction* about = menu->addAction(QString::fromUtf8(kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommandId); });
    return menu;
}

void CReportDlg::OnGetReport() {
    ui_.OnGetReport();
    followBusyCursor();
}

void CReportDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CReportDlg::OnExit() {
    close();
}

void CReportDlg::OnSysCommand(int commandId) {
    if ((commandId & ~0xF) == kAboutCommandId) {
        OnAbout();
    }
}

void CReportDlg::OnTimer() {
    timerTick(link_, session_, kDialogTickMs, ui_);
    followBusyCursor();
    emit ticked();
}

// The wait cursor covers the whole window, its buttons included, while a download runs.
void CReportDlg::followBusyCursor() {
    if (shared_.busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

ReportOutput CReportDlg::chosenOutput() const {
    return m_radioWord.isChecked() ? ReportOutput::Word : ReportOutput::Text;
}

void CReportDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintSkin(painter, m_skin, shape_);
}

void CReportDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape rejects
}

// The window has no caption: it is moved by dragging any point of its background.
void CReportDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) {
        return;
    }
    grabOffset_ = event->globalPosition().toPoint() - pos();
}

void CReportDlg::mouseMoveEvent(QMouseEvent* event) {
    if (grabOffset_ && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - *grabOffset_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CReportDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && grabOffset_) {
        grabOffset_.reset();
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void CReportDlg::contextMenuEvent(QContextMenuEvent* event) {
    const auto menu = makeWindowMenu();
    menu->exec(event->globalPos());
}

} // namespace varne
