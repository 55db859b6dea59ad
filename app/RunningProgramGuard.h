#pragma once

#include "app/ProcessList.h"
#include "base/MessageSink.h"

#include <string>

namespace varne {

// The tester's programs must not run side by side: a start is refused while two or more of
// the suite's programs run (this program counts itself, so a second copy is refused too).
class RunningProgramGuard {
public:
    RunningProgramGuard(ProcessList& processes, MessageSink& messages)
        : processes_(processes), messages_(messages) {}

    // 0 when the start is refused (after telling the user, if asked to), 1 when it may go on.
    int IsOtherTestProgramRunning(bool bShowMessage);

    // True when `name`, lower-cased, is one of the suite's programs, with or without ".exe".
    static bool IsSuiteProgramName(const std::string& name);

private:
    ProcessList& processes_;
    MessageSink& messages_;
};

} // namespace varne
