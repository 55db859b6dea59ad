#include "app/ReportApp.h"

#include "app/RunningProgramGuard.h"
#include "app/WorkDirectory.h"
#include "base/MessageSink.h"
#include "ui/ReportDlg.h"

namespace varne {

int CReportApp::InitInstance() {
    RunningProgramGuard guard(s_.processes, s_.messages);
    if (guard.IsOtherTestProgramRunning(true) == 0) {
        return 1;
    }
    if (s_.workDirectory) {
        if (const auto problem = EnterWorkDirectory(*s_.workDirectory, s_.defaultConfigure)) {
            s_.messages.error(*problem);
            return 1;
        }
    }
    CReportDlg dialog(s_.messages);
    dialog.exec();
    return 0;
}

} // namespace varne
