#pragma once

#include "link/UiStep.h"

namespace varne {

class DownloadSession;
class GetReportButton;
class LinkLayer;
class MessageSink;
class ReportGenerator;
class TesterFinder;
class TesterPort;
struct SharedState;

inline constexpr const char* kGetReportText = "Get Report(&G)";
inline constexpr const char* kGettingReportText = "Getting Report...";
inline constexpr const char* kConnectTesterText = "Please connect to the tester!";
inline constexpr const char* kCommunicationFailedText = "Communication failed !!!";
inline constexpr const char* kTesterNotFoundText =
    "Tester can not be found!It may be caused by the following reason:\n  first,Tester did not "
    "boot.\n second, not access to the computer connect menu!!\n  third, did not install the USB "
    "driver!";

// Joins the download to the outside world, the same for the dialog and the command-line tool:
// starts a download from the "Get Report" button, and as the last step of every tick writes
// the pending frame to the port, keeps the button in step with port discovery, writes the
// report when it has arrived and tells the user once of a failed download.
class UiStepController : public UiStep {
public:
    struct Parts {
        SharedState& shared;
        LinkLayer& link;
        DownloadSession& session;
        TesterPort& port;
        TesterFinder& finder;
        ReportGenerator& report;
        GetReportButton& button;
        MessageSink& messages;
    };
    explicit UiStepController(const Parts& parts) : p_(parts) {}

    // The first discovery when the program starts.
    void initialDiscovery();
    // "Get Report" pressed: false (after telling the user) when the tester cannot be found
    // or its port not opened; otherwise the download has started.
    bool OnGetReport();
    // The last step of every timer tick.
    void run() override;

private:
    // The button follows discovery: enabled when a tester's port is known.
    bool followDiscovery();
    void restoreButton();

    Parts p_;
};

} // namespace varne
