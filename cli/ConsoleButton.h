#pragma once

#include "link/GetReportButton.h"

#include <string>

namespace varne::cli {

// The "Get Report" button of the command line: its text changes become status lines on
// standard error when that is a terminal.
class ConsoleButton : public GetReportButton {
public:
    explicit ConsoleButton(bool show) : show_(show) {}
    void setText(const std::string& text) override;
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    const std::string& text() const { return text_; }

private:
    bool show_;
    bool enabled_ = false;
    std::string text_;
};

} // namespace varne::cli
