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
    }
    std::vector<RecordedMessage> messages;
};

} // namespace varne::test
