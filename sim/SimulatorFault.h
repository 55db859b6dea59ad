#pragma once

#include <array>
#include <chrono>
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
    Late,          // begins the report reply a given time after the request
    Pause,         // pauses for a given time in the middle of the report reply
};

inline constexpr std::array kAllSimulatorFaults{
    SimulatorFault::None,       SimulatorFault::NoReply,    SimulatorFault::BadChecksum,
    SimulatorFault::SplitReply, SimulatorFault::ShortImage, SimulatorFault::OversizeReply,
    SimulatorFault::LinkClosed, SimulatorFault::Late,       SimulatorFault::Pause,
};

// A fault with its time, for the faults that take one (late and pause).
struct FaultChoice {
    SimulatorFault fault = SimulatorFault::None;
    std::chrono::milliseconds delay{0};
};

// The most a late or paused reply can be held back.
inline constexpr std::chrono::seconds kLongestFaultDelay{60};

// The name as typed after --fault: "none", "no-reply", "bad-checksum", ...
std::string_view faultName(SimulatorFault fault);
std::optional<SimulatorFault> parseSimulatorFault(std::string_view name);
// Whether the fault is typed with a time: late=SECONDS, pause=SECONDS.
bool faultTakesSeconds(SimulatorFault fault);
// A fault as typed after --fault: a name, or for late and pause "name=SECONDS" with SECONDS
// a decimal number (a point before any fraction) up to kLongestFaultDelay. Nothing for an
// unknown name, a time missing, malformed or out of range, or a time given to another fault.
std::optional<FaultChoice> parseFaultChoice(std::string_view text);

} // namespace varne
