#pragma once

#include <string>

namespace varne {

// The "Get Report" button as the UI step drives it: the dialog's push button, or a console
// line in the command-line tool.
class GetReportButton {
public:
    virtual ~GetReportButton() = default;
    virtual void setText(const std::string& text) = 0;
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace varne
