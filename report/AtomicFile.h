#pragma once

#include <filesystem>
#include <span>
#include <string>

namespace varne {

// Replaces `path` with `bytes` atomically: the bytes go to a temporary file beside it, which is
// then renamed over the target, so a failure never leaves a half-written or empty file where a
// good one was. A missing parent directory is created. On failure `error` says why (the path and
// the reason) and the earlier file is untouched.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const char> bytes,
                         std::string& error);

enum class NewFileResult { Written, Taken, Failed };

// Writes `bytes` to a new file `path` atomically (a temporary file beside it, then linked into
// place), never replacing anything: Taken when `path` exists already, Failed with `error` set
// when the file cannot be written. A missing parent directory is created.
NewFileResult writeNewFileAtomically(const std::filesystem::path& path, std::span<const char> bytes,
                                     std::string& error);

} // namespace varne
