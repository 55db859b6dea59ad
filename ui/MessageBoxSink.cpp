#include "ui/MessageBoxSink.h"

#include "ui/ProductInfo.h"

#include <QApplication>
#include <QMessageBox>

namespace varne {

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void MessageBoxSink::show(const std::string& caption, const std::string& text, MessageKind kind) {
    showDetailed(caption, text, {}, kind);
}

void MessageBoxSink::showDetailed(const std::string& caption, const std::string& text,
                                  const std::string& detail, MessageKind kind) {
    const QString title =
        caption.empty() ? QString::fromUtf8(kProductTitle) : QString::fromStdString(caption);
    QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
    QMessageBox box(iconOf(kind), title, QString::fromStdString(text), QMessageBox::Ok, parent);
    if (!detail.empty()) {
        box.setInformativeText(QString::fromStdString(detail));
    }
    box.exec();
}

} // namespace varne
