#include "ChildProcess.h"

#include <array>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace varne::test {

namespace {

void drain(int fd, std::string& into) {
    std::array<char, 4096> buffer{};
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
        into.append(buffer.data(), static_cast<std::size_t>(n));
    }
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    FileDescriptor outWrite(out[1]);
    FileDescriptor errWrite(err[1]);
    output_ = FileDescriptor(out[0]);
    error_ = FileDescriptor(err[0]);
    ::fcntl(output_.get(), F_SETFL, O_NONBLOCK);
    ::fcntl(error_.get(), F_SETFL, O_NONBLOCK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.get(), STDERR_FILENO);
    std::vector<std::string> storage{program};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : storage) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    const int result =
        ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::optional<std::string> ChildProcess::readOutputLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (const auto end = outputBuffer_.find('\n'); end != std::string::npos) {
            std::string line = outputBuffer_.substr(0, end);
            outputBuffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd output{output_.get(), POLLIN, 0};
        if (::poll(&output, 1, static_cast<int>(left.count())) > 0) {
            const std::size_t before = outputBuffer_.size();
            drain(output_.get(), outputBuffer_);
            if (outputBuffer_.size() == before && (output.revents & POLLHUP) != 0) {
                return std::nullopt;
            }
        }
    }
}

void ChildProcess::signal(int signalNumber) {
    ::kill(pid_, signalNumber);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

std::string ChildProcess::errorOutput() {
    drain(error_.get(), errorBuffer_);
    return errorBuffer_;
}

} // namespace varne::test
