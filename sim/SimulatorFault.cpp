#include "sim/SimulatorFault.h"

#include <charconv>
#include <cmath>

namespace varne {

std::string_view faultName(SimulatorFault fault) {
    switch (fault) {
    case SimulatorFault::None:
        return "none";
    case SimulatorFault::NoReply:
        return "no-reply";
    case SimulatorFault::BadChecksum:
        return "bad-checksum";
    case SimulatorFault::SplitReply:
        return "split-reply";
    case SimulatorFault::ShortImage:
        return "short-image";
    case SimulatorFault::OversizeReply:
        return "oversize-reply";
    case SimulatorFault::LinkClosed:
        return "link-closed";
    case SimulatorFault::Late:
        return "late";
    case SimulatorFault::Pause:
        return "pause";
    }
    return "unknown";
}

std::optional<SimulatorFault> parseSimulatorFault(std::string_view name) {
    for (const SimulatorFault fault : kAllSimulatorFaults) {
        if (faultName(fault) == name) {
            return fault;
        }
    }
    return std::nullopt;
}

bool faultTakesSeconds(SimulatorFault fault) {
    return fault == SimulatorFault::Late || fault == SimulatorFault::Pause;
}

std::optional<FaultChoice> parseFaultChoice(std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::optional<SimulatorFault> fault = parseSimulatorFault(text.substr(0, equals));
    if (!fault || faultTakesSeconds(*fault) != (equals != std::string_view::npos)) {
        return std::nullopt;
    }
    if (!faultTakesSeconds(*fault)) {
        return FaultChoice{*fault, {}};
    }
    const std::string_view number = text.substr(equals + 1);
    double seconds = -1;
    // from_chars reads the same whatever the user's locale.
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != number.data() + number.size() || !(seconds >= 0) ||
        seconds > static_cast<double>(kLongestFaultDelay.count())) {
        return std::nullopt;
    }
    return FaultChoice{*fault, std::chrono::milliseconds(std::llround(seconds * 1000))};
}

} // namespace varne
