#pragma once

#include <cstdint>
#include <span>

namespace varne {

enum class LinkEvent : std::uint8_t {
    FrameWhileIdle = 1, // a valid frame arrived while no reply was awaited
    Reply = 2,          // a valid frame arrived while a reply was awaited
    ReplyTimeout = 4,   // the reply timer ran out
};

// Accepting a frame as the reply (LinkEvent::Reply) ends the transmission; any other value
// rejects it and the link keeps waiting.
inline constexpr std::uint16_t kReplyAccepted = 0;
inline constexpr std::uint16_t kReplyRejected = 1;

// Receives the link layer's events. `frame` is the frame in the link layer's current-frame
// buffer, valid until the next received frame replaces it (for ReplyTimeout: whatever frame
// the buffer holds, possibly none). `value` carries, for FrameWhileIdle, the frame's length
// in; for Reply, kReplyRejected in and the handler's verdict out; for ReplyTimeout, nothing.
class LinkEventHandler {
public:
    virtual ~LinkEventHandler() = default;
    virtual void onLinkEvent(LinkEvent event, std::span<const std::uint8_t> frame,
                             std::uint16_t& value) = 0;
};

} // namespace varne
