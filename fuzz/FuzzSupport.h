#pragma once

#include "base/MessageSink.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace varne::fuzz {

// Stops the run with a crash that libFuzzer records, when a property that must always hold
// does not.
#define VARNE_FUZZ_CHECK(condition)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::varne::fuzz::checkFailed(#condition, __FILE__, __LINE__);                            \
        }                                                                                          \
    } while (false)

[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

// A fresh directory below the system's temporary directory for the whole run, removed at exit.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& prefix);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Counts messages and checks that every one carries text: the user is never shown an empty box.
class CheckingMessageSink : public MessageSink {
public:
    void show(const std::string& caption, const std::string& text, MessageKind kind) override;
    std::size_t count = 0;
};

} // namespace varne::fuzz
