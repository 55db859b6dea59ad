#include "base/ShippedDefaults.h"

#include <system_error>

namespace varne {

namespace fs = std::filesystem;

fs::path ShippedConfigureDirectory(const fs::path& executableDirectory) {
    if (executableDirectory.empty()) {
        return {};
    }
    const fs::path candidate =
        (executableDirectory / VARNE_SHIPPED_CONFIGURE_RELATIVE).lexically_normal();
    std::error_code error;
    return fs::is_directory(candidate, error) ? candidate : fs::path();
}

fs::path ShippedConfigureDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return ShippedConfigureDirectory(executable.parent_path());
}

} // namespace varne
