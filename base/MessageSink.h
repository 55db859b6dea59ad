#pragma once

#include <string>

namespace varne {

enum class MessageKind { Information, Warning, Error };

// Every message of the program to its user passes through a sink: the dialog shows a
// modal box, the command-line tool prints, tests record.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const std::string& caption, const std::string& text, MessageKind kind) = 0;

    // Most messages carry no caption of their own: the program's name stands in.
    void error(const std::string& text) { show({}, text, MessageKind::Error); }
    void warning(const std::string& text) { show({}, text, MessageKind::Warning); }
    void information(const std::string& caption, const std::string& text) {
        show(caption, text, MessageKind::Information);
    }
};

} // namespace varne
