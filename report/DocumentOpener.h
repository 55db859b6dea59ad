#pragma once

#include <filesystem>

namespace varne {

enum class OpenOutcome {
    Opened,
    NoApplication, // nothing on this system opens such a document
    Failed,        // the application was started but could not open it
};

// Puts a saved document in front of the user with the desktop's application for it.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    virtual OpenOutcome Open(const std::filesystem::path& document) = 0;
};

} // namespace varne
