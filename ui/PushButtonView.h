#pragma once

#include "link/GetReportButton.h"

class QAbstractButton;

namespace varne {

// The dialog's "Get Report" push button as the UI step drives it.
class PushButtonView : public GetReportButton {
public:
    explicit PushButtonView(QAbstractButton& button) : button_(button) {}

    void setText(const std::string& text) override;
    void setEnabled(bool enabled) override;

private:
    QAbstractButton& button_;
};

} // namespace varne
