#include "link/PortDiscovery.h"

namespace varne {

bool PortDiscovery::FindTesterPort(const std::array<std::string, 3>& deviceNames,
                                   const std::string& filePort) {
    m_strRegPort.clear();
    for (const std::string& name : deviceNames) {
        if (name.empty()) {
            continue;
        }
        if (auto port = deviceMap_.portFor(name); port && !port->empty()) {
            m_strRegPort = *port;
            return true;
        }
    }
    return !filePort.empty();
}

} // namespace varne
