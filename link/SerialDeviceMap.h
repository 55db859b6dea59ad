#pragma once

#include <optional>
#include <string>

namespace varne {

// The system's map from serial device (bridge driver) names to port names, as port discovery
// asks it: "which port does this bridge driver serve, if any?"
class SerialDeviceMap {
public:
    virtual ~SerialDeviceMap() = default;
    virtual std::optional<std::string> portFor(const std::string& deviceName) = 0;
};

} // namespace varne
