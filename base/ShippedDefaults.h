#pragma once

#include <filesystem>

namespace varne {

// The default Configure/ files that come with the program, found relative to the running
// executable: `<bindir>/../share/varne-report/Configure` when installed under any prefix. The
// build copies them to the same place below the build tree, so a program run from `build/bin/`
// finds them too and no binary carries a path of the source or build tree. Empty when there
// are none.
std::filesystem::path ShippedConfigureDirectory();

// The same, for a program living in `executableDirectory` (tests point it elsewhere).
std::filesystem::path ShippedConfigureDirectory(const std::filesystem::path& executableDirectory);

} // namespace varne
