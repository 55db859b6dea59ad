#pragma once

#include "base/ConfigFiles.h"
#include "link/PortDiscovery.h"
#include "link/TesterFinder.h"

#include <string>

namespace varne {

// Port discovery with the names the configuration gives it; a port named explicitly (the
// command line's --port) takes the place of discovery.
class ConfiguredTesterFinder : public TesterFinder {
public:
    ConfiguredTesterFinder(PortDiscovery& discovery, const Configuration& config,
                           std::string explicitPort = {})
        : discovery_(discovery), config_(config), explicitPort_(std::move(explicitPort)) {}

    bool FindTesterPort() override {
        return !explicitPort_.empty() ||
               discovery_.FindTesterPort(config_.deviceNames(), config_.m_strFilePort);
    }
    // The port to open: the explicit one, discovery's, else the port file's.
    std::string portName() const {
        return explicitPort_.empty() ? discovery_.chosenPort(config_.m_strFilePort) : explicitPort_;
    }

private:
    PortDiscovery& discovery_;
    const Configuration& config_;
    std::string explicitPort_;
};

} // namespace varne
