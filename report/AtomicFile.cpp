#include "report/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <system_error>

namespace varne {

namespace fs = std::filesystem;

namespace {

fs::path temporaryPathBeside(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path tmp = path;
    tmp += ".tmp-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    return tmp;
}

std::string describe(const fs::path& path, const std::string& reason) {
    return "cannot write " + path.string() + ": " + reason;
}

} // namespace

bool writeFileAtomically(const fs::path& path, std::span<const char> bytes, std::string& error) {
    std::error_code ec;
    const fs::path parent = path.parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent, ec);
        if (ec) {
            error = describe(path, ec.message());
            return false;
        }
    }

    const fs::path tmp = temporaryPathBeside(path);
    {
        errno = 0;
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = describe(path, errno != 0 ? std::strerror(errno) : "cannot create a file");
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            const std::string reason = errno != 0 ? std::strerror(errno) : "write failed";
            out.close();
            fs::remove(tmp, ec);
            error = describe(path, reason);
            return false;
        }
    }

    fs::rename(tmp, path, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(tmp, ec);
        error = describe(path, reason);
        return false;
    }
    return true;
}

NewFileResult writeNewFileAtomically(const fs::path& path, std::span<const char> bytes,
                                     std::string& error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        return NewFileResult::Taken;
    }
    // The bytes go to a temporary name first, complete; the hard link then claims the real
    // name only if nothing holds it yet.
    fs::path staged = path;
    staged += ".new";
    staged = temporaryPathBeside(staged);
    if (!writeFileAtomically(staged, bytes, error)) {
        return NewFileResult::Failed;
    }
    fs::create_hard_link(staged, path, ec);
    std::error_code ignored;
    fs::remove(staged, ignored);
    if (ec == std::errc::file_exists) {
        return NewFileResult::Taken;
    }
    if (ec) {
        error = describe(path, ec.message());
        return NewFileResult::Failed;
    }
    return NewFileResult::Written;
}

} // namespace varne
