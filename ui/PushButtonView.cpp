#include "ui/PushButtonView.h"

#include <QAbstractButton>
#include <QString>

namespace varne {

void PushButtonView::setText(const std::string& text) {
    const QString caption = QString::fromStdString(text);
    // The UI step sets the caption on every idle tick; repaint only when it changes.
    if (button_.text() != caption) {
        button_.setText(caption);
    }
}

void PushButtonView::setEnabled(bool enabled) {
    button_.setEnabled(enabled);
}

} // namespace varne
