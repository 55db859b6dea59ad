#include "ui/SkinButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <array>

namespace varne {
namespace {

constexpr int kGradientSteps = 64;
constexpr int kLastBrush = kGradientSteps - 1;
constexpr qreal kCornerRadius = 2.5; // a 5 x 5 corner ellipse

const QColor kCaptionColour(0, 0, 0);
const QColor kEmbossLight(255, 255, 255);
const QColor kEmbossShadow(160, 160, 160);
const QColor kFocusDots(0, 0, 0);

// Brush i of the face gradient: the mouse over the button keeps red and green up and gives
// blue a steeper fall when highlighted; otherwise red and green fall faster.
QColor FaceBrush(bool hover, bool highlight, int index) {
    const int redGreenStep = hover ? 4 : 3;
    int blueStep = 5;
    if (hover && highlight) {
        blueStep = 3;
    } else if (highlight) {
        blueStep = 4;
    }
    const int redGreen = 255 - index / redGreenStep;
    return QColor(redGreen, redGreen, 255 - index / blueStep);
}

} // namespace

CSkinButton::CSkinButton(QWidget* parent) : CSkinButton(QString(), parent) {}

CSkinButton::CSkinButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent),
      m_penOutline(QColor(0, 0, 0), 1.0), m_penHot{QColor(250, 196, 88), QColor(251, 202, 106),
                                                   QColor(252, 210, 121), QColor(229, 151, 0)},
      m_penFocus{QColor(153, 198, 252), QColor(162, 189, 252), QColor(162, 201, 255),
                 QColor(162, 201, 255)} {
    // The corners outside the rounded outline show the dialog's skin.
    setAutoFillBackground(false);
}

CSkinButton::~CSkinButton() = default;

void CSkinButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawItem(painter);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    m_bHover = true;
    update();
    QPushButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    m_bHover = false;
    update();
    QPushButton::leaveEvent(event);
}

void CSkinButton::DrawItem(QPainter& painter) {
    painter.save();
    const QRect item = rect();

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(m_penOutline);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                            kCornerRadius);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const bool pressed = isDown();
    m_bFocus = hasFocus();
    m_bHighlight = m_bFocus || pressed || isDefault();

    const QRect face = item.adjusted(kEdge, kEdge, -kEdge, -kEdge);
    DrawFaceGradient(painter, face);
    if (m_bHover || m_bFocus) {
        DrawEdgeHighlight(painter, face);
    }
    DrawCaption(painter, face, pressed);
    painter.restore();
}

void CSkinButton::DrawFaceGradient(QPainter& painter, const QRect& face) {
    const int width = face.width();
    const int height = face.height();
    if (height <= 0 || width <= 0) {
        return;
    }
    std::array<QColor, kGradientSteps> brushes;
    for (int i = 0; i < kGradientSteps; ++i) {
        brushes[static_cast<std::size_t>(i)] = FaceBrush(m_bHover, m_bHighlight, i);
    }
    // Rows are counted from the top of the button and run one past the face's last row;
    // the rows at the bottom whose index passes the last brush keep the last brush.
    const int fillWidth = width + kEdge - face.left();
    for (int y = face.top(); y <= height + kEdge; ++y) {
        const int index = std::min(kLastBrush, kLastBrush * y / height);
        painter.fillRect(QRect(face.left(), y, fillWidth, 1),
                         brushes[static_cast<std::size_t>(index)]);
    }
}

void CSkinButton::DrawEdgeHighlight(QPainter& painter, const QRect& face) {
    const bool focusOnly = m_bFocus && !m_bHover;
    const FramePens& pens = focusOnly ? m_penFocus : m_penHot;
    const int left = face.left();
    const int top = face.top();
    const int right = face.left() + face.width();  // one past the face
    const int bottom = face.top() + face.height(); // one past the face

    painter.fillRect(QRect(QPoint(left - 1, top + 2), QPoint(left + 1, bottom - 1)), pens.left);
    painter.fillRect(QRect(QPoint(right - 2, top + 1), QPoint(right, bottom - 1)), pens.right);
    painter.fillRect(QRect(QPoint(left - 1, top), QPoint(right - 2, top + 1)), pens.top);
    painter.fillRect(QRect(QPoint(left, bottom - 1), QPoint(right - 2, bottom)), pens.bottom);

    if (focusOnly) {
        DrawFocusRect(painter, face);
    }
}

// A dotted one-pixel rectangle on the face's border, every other pixel set.
void CSkinButton::DrawFocusRect(QPainter& painter, const QRect& face) {
    QPolygon dots;
    const auto addDot = [&dots](int x, int y) {
        if ((x + y) % 2 == 0) {
            dots << QPoint(x, y);
        }
    };
    for (int x = face.left(); x <= face.right(); ++x) {
        addDot(x, face.top());
        addDot(x, face.bottom());
    }
    for (int y = face.top() + 1; y < face.bottom(); ++y) {
        addDot(face.left(), y);
        addDot(face.right(), y);
    }
    painter.setPen(QPen(kFocusDots, 1.0));
    painter.drawPoints(dots);
}

void CSkinButton::DrawCaption(QPainter& painter, const QRect& face, bool pressed) {
    const QString caption = text();
    if (caption.isEmpty()) {
        return;
    }
    painter.setFont(font());
    const QFontMetrics metrics(font());
    // The extent includes the "&" of the mnemonic, as the caption is measured whole.
    const int captionWidth = metrics.horizontalAdvance(caption);
    const int captionHeight = metrics.height();
    const int right = face.left() + face.width();
    const int bottom = face.top() + face.height();
    int x = (face.left() + right) / 2 - captionWidth / 2;
    int y = (face.top() + bottom) / 2 - captionHeight / 2;
    if (pressed) {
        ++x;
        ++y;
    }
    const int flags =
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip;
    const QRect box(x, y, captionWidth, captionHeight);
    if (isEnabled()) {
        painter.setPen(kCaptionColour);
        painter.drawText(box, flags, caption);
    } else {
        painter.setPen(kEmbossLight);
        painter.drawText(box.translated(1, 1), flags, caption);
        painter.setPen(kEmbossShadow);
        painter.drawText(box, flags, caption);
    }
}

} // namespace varne
