#pragma once

#include <QColor>
#include <QPen>
#include <QPushButton>

class QEnterEvent;
class QPainter;

namespace varne {

// A push button drawn to match the skin: a rounded black outline, a light vertical gradient
// whose tint follows hover and highlight, an orange frame while the mouse is over it or a
// blue frame with a focus rectangle while it has the focus, and its caption centred (one
// pixel down and right while pressed, embossed while disabled). The caption and the state
// are read afresh at every paint, so text and enabled changes show at once.
class CSkinButton : public QPushButton {
    Q_OBJECT

public:
    explicit CSkinButton(QWidget* parent = nullptr);
    explicit CSkinButton(const QString& text, QWidget* parent = nullptr);
    ~CSkinButton() override;

    bool isHovered() const { return m_bHover; }

    // Width of the edge between the outline and the face, on every side.
    static constexpr int kEdge = 2;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    virtual void DrawFaceGradient(QPainter& painter, const QRect& face);
    virtual void DrawEdgeHighlight(QPainter& painter, const QRect& face);

private:
    // Colours of the four frame edges; the sides are 3 pixels wide, top and bottom 2.
    struct FramePens {
        QColor left;
        QColor right;
        QColor top;
        QColor bottom;
    };

    void DrawItem(QPainter& painter);
    void DrawCaption(QPainter& painter, const QRect& face, bool pressed);
    static void DrawFocusRect(QPainter& painter, const QRect& face);

    QPen m_penOutline;
    FramePens m_penHot;
    FramePens m_penFocus;

    bool m_bHover = false;
    bool m_bFocus = false;
    bool m_bHighlight = false;
};

} // namespace varne
