#pragma once

#include "base/MessageSink.h"

#include <string>
#include <vector>

namespace varne::test {

struct RecordedMessage {
    std::string caption;
    std::string text;
    MessageKind kind;
    bool operator==(const RecordedMessage&) const = default;
};

class RecordingMessageSink : public MessageSink {
public:
    void show(const std::string& caption, const std::string& text, MessageKind kind) override {
        messages.push_back({caption, text, kind});
        details.emplace_back();
    }
    void showDetailed(const std::string& caption, const std::string& text,
                      const std::string& detail, MessageKind kind) override {
        messages.push_back({caption, text, kind});
        details.push_back(detail);
    }
    std::vector<RecordedMessage> messages;
    // The detail of each message, empty where it has none.
    std::vector<std::string> details;
};

} // namespace varne::test
