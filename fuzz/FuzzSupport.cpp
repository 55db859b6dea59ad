#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace varne::fuzz {

namespace fs = std::filesystem;

void checkFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

ScratchDirectory::ScratchDirectory(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory below " + pattern);
    }
    path_ = buffer.data();
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void CheckingMessageSink::show(const std::string&, const std::string& text, MessageKind) {
    VARNE_FUZZ_CHECK(!text.empty());
    ++count;
}

} // namespace varne::fuzz
