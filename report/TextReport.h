#pragma once

#include "report/RecordTexts.h"

#include <filesystem>
#include <string>

namespace varne {

// The text report as bytes: a header, a separator, then per record its heading, date and
// result lines closed by a separator. Every line feed becomes CR LF; all other bytes (the
// two-byte degree sign included) are kept as they are.
std::string composeTextReport(const RecordTexts& texts);

// Replaces the file at `path` with the text report in one step, creating its directory when
// missing. On failure `error` names the path and the reason, and an earlier report is intact.
bool writeTextReport(const std::filesystem::path& path, const RecordTexts& texts,
                     std::string& error);

} // namespace varne
