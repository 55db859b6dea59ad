#pragma once

namespace varne {

// The last step of every timer tick: it joins the download to the outside world (writes the
// pending frame, follows port discovery, writes the report, tells of a failure).
class UiStep {
public:
    virtual ~UiStep() = default;
    virtual void run() = 0;
};

} // namespace varne
