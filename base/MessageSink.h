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
    // A message with a detail: the reason behind it or advice. A message box shows the detail
    // below its text; by default it follows the text on a line of its own.
    virtual void showDetailed(const std::string& caption, const std::string& text,
                              const std::string& detail, MessageKind kind) {
        show(caption, detail.empty() ? text : text + '\n' + detail, kind);
    }

    // Most messages carry no caption of their own: the program's name stands in.
    void error(const std::string& text) { show({}, text, MessageKind::Error); }
    void warning(const std::string& text) { show({}, text, MessageKind::Warning); }
    void warning(const std::string& text, const std::string& detail) {
        showDetailed({}, text, detail, MessageKind::Warning);
    }
    void information(const std::string& caption, const std::string& text) {
        show(caption, text, MessageKind::Information);
    }
};

} // namespace varne
