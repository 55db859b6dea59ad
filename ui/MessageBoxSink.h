#pragma once

#include "base/MessageSink.h"

#include <QPointer>
#include <QWidget>

namespace varne {

// Shows every message in a modal message box with an OK button, its icon chosen by the kind
// of message; messages without a caption of their own carry the product's name.
class MessageBoxSink : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}

    // The window the boxes are centred on and modal to; without one, the active window.
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    void show(const std::string& caption, const std::string& text, MessageKind kind) override;
    // The detail becomes the box's informative text.
    void showDetailed(const std::string& caption, const std::string& text,
                      const std::string& detail, MessageKind kind) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace varne
