#pragma once

#include "sim/TesterSimulator.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace varne::test {

// The demo image and its check byte, the reply a report request gets without a fault.
std::vector<std::uint8_t> demoReply();

// Settings for a simulator that serves the demo image without pacing, so tests run fast.
SimulatorSettings quickSettings(SimulatorFault fault = SimulatorFault::None);

// A TesterSimulator serving on a thread of its own, with its log kept for the test.
// Stopped and joined when it goes out of scope.
class RunningSimulator {
public:
    explicit RunningSimulator(SimulatorSettings settings);
    ~RunningSimulator();
    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    const std::string& devicePath() const { return simulator_.devicePath(); }
    // Stops the simulator if it still runs and returns how run() ended.
    TesterSimulator::Outcome stop();
    // Waits for run() to end by itself; false if it still runs after `timeout`.
    bool endsWithin(std::chrono::milliseconds timeout);
    // Waits until a log line containing `text` appears.
    bool waitForLog(std::string_view text, std::chrono::milliseconds timeout);
    std::vector<std::string> log() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable logged_;
    std::vector<std::string> lines_;
    TesterSimulator simulator_;
    std::future<TesterSimulator::Outcome> outcome_;
};

} // namespace varne::test
