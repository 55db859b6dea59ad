#pragma once

#include "link/LinkEventHandler.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varne::test {

struct RecordedLinkEvent {
    LinkEvent event;
    std::vector<std::uint8_t> frame;
    std::uint16_t valueIn;
};

// Records every link event and answers replies with a chosen verdict.
class RecordingLinkHandler : public LinkEventHandler {
public:
    void onLinkEvent(LinkEvent event, std::span<const std::uint8_t> frame,
                     std::uint16_t& value) override {
        events.push_back({event, {frame.begin(), frame.end()}, value});
        if (event == LinkEvent::Reply) {
            value = verdict;
        }
    }

    std::vector<LinkEvent> codes() const {
        std::vector<LinkEvent> result;
        for (const RecordedLinkEvent& e : events) {
            result.push_back(e.event);
        }
        return result;
    }

    std::uint16_t verdict = kReplyAccepted;
    std::vector<RecordedLinkEvent> events;
};

} // namespace varne::test
