#pragma once

namespace varne {

// Port discovery as the UI step asks it: is a tester's port known right now?
class TesterFinder {
public:
    virtual ~TesterFinder() = default;
    virtual bool FindTesterPort() = 0;
};

} // namespace varne
