#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace varne {

// A fault the simulated tester can be told to show, so that clients can be tried against a
// misbehaving line. The handshake is answered normally in every fault except NoReply.
enum class SimulatorFault {
    None,
    NoReply,       // never answers
    BadChecksum,   // report reply with a wrong check byte
    SplitReply,    // report reply split by a pause longer than the client's receive wait
    ShortImage,    // report reply of 2000 image bytes and their check byte
    OversizeReply, // report reply of 6000 bytes and their check byte, more than a client holds
    LinkClosed,    // sends part of the report reply, then closes the line and ends
};

inline constexpr std::array kAllSimulatorFaults{
    SimulatorFault::None,       SimulatorFault::NoReply,    SimulatorFault::BadChecksum,
    SimulatorFault::SplitReply, SimulatorFault::ShortImage, SimulatorFault::OversizeReply,
    SimulatorFault::LinkClosed,
};

// The name as typed after --fault: "none", "no-reply", "bad-checksum", ...
std::string_view faultName(SimulatorFault fault);
std::optional<SimulatorFault> parseSimulatorFault(std::string_view name);

} // namespace varne
