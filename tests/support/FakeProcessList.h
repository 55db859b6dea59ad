#pragma once

#include "app/ProcessList.h"

#include <string>
#include <vector>

namespace varne::test {

// A process list that names the processes a test says are running.
class FakeProcessList : public ProcessList {
public:
    explicit FakeProcessList(std::vector<std::string> names) : names_(std::move(names)) {}
    std::vector<std::string> executableNames() override { return names_; }

private:
    std::vector<std::string> names_;
};

} // namespace varne::test
