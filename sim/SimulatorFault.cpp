#include "sim/SimulatorFault.h"

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

} // namespace varne
