#include "RunningSimulator.h"

#include "sim/DemoImage.h"

#include <algorithm>
#include <numeric>

namespace varne::test {

std::vector<std::uint8_t> demoReply() {
    std::vector<std::uint8_t> reply = demoReportImage();
    reply.push_back(std::accumulate(
        reply.begin(), reply.end(), std::uint8_t{0},
        [](std::uint8_t sum, std::uint8_t b) { return static_cast<std::uint8_t>(sum + b); }));
    return reply;
}

SimulatorSettings quickSettings(SimulatorFault fault) {
    SimulatorSettings settings;
    settings.reportReply = demoReply();
    settings.fault = fault;
    settings.paced = false;
    return settings;
}

RunningSimulator::RunningSimulator(SimulatorSettings settings)
    : simulator_(std::move(settings),
                 [this](const std::string& line) {
                     {
                         const std::lock_guard lock(mutex_);
                         lines_.push_back(line);
                     }
                     logged_.notify_all();
                 }),
      outcome_(std::async(std::launch::async, [this] { return simulator_.run(); })) {}

RunningSimulator::~RunningSimulator() {
    stop();
}

TesterSimulator::Outcome RunningSimulator::stop() {
    simulator_.requestStop();
    return outcome_.valid() ? outcome_.get() : TesterSimulator::Outcome::Stopped;
}

bool RunningSimulator::endsWithin(std::chrono::milliseconds timeout) {
    return outcome_.wait_for(timeout) == std::future_status::ready;
}

bool RunningSimulator::waitForLog(std::string_view text, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return logged_.wait_for(lock, timeout, [&] {
        return std::ranges::any_of(
            lines_, [&](const std::string& line) { return line.find(text) != std::string::npos; });
    });
}

std::vector<std::string> RunningSimulator::log() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

} // namespace varne::test
