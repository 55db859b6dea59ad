#pragma once

#include "base/MessageSink.h"

namespace varne::cli {

// Prints information to standard output and warnings and errors to standard error.
class ConsoleMessageSink : public MessageSink {
public:
    void show(const std::string& caption, const std::string& text, MessageKind kind) override;
};

} // namespace varne::cli
