#pragma once

#include <string>
#include <vector>

namespace varne {

// The executable names of the running processes, one entry per process.
class ProcessList {
public:
    virtual ~ProcessList() = default;
    virtual std::vector<std::string> executableNames() = 0;
};

} // namespace varne
