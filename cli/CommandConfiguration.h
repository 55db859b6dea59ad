#pragma once

#include "base/ConfigFiles.h"

namespace varne::cli {

// The configuration files a command reads: the working directory's Configure/, or the shipped
// defaults when it has none, which is then said once on standard error.
ConfigPaths findCommandConfiguration(const char* command);

} // namespace varne::cli
