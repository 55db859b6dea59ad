#pragma once

#include "link/SerialDeviceMap.h"

#include <array>
#include <string>

namespace varne {

// Answers "is a tester connected, and on which port?": the bridge device names are looked up
// in the system's serial device map in their fixed order, the first found wins; otherwise the
// port named in the port file stands in. Run at start, on "Get Report" and on every idle tick.
class PortDiscovery {
public:
    explicit PortDiscovery(SerialDeviceMap& deviceMap) : deviceMap_(deviceMap) {}

    // Device names may be empty (the label file sets the second and third); empty names find
    // nothing. Gives true when a port is known, from the map or from the port file.
    bool FindTesterPort(const std::array<std::string, 3>& deviceNames, const std::string& filePort);

    // The port found in the device map by the last discovery, or empty.
    const std::string& registryPort() const { return m_strRegPort; }

    // The port the serial driver opens: the device map's, else the port file's.
    std::string chosenPort(const std::string& filePort) const {
        return m_strRegPort.empty() ? filePort : m_strRegPort;
    }

private:
    SerialDeviceMap& deviceMap_;
    std::string m_strRegPort;
};

} // namespace varne
