#pragma once

#include <stdexcept>
#include <string>

namespace varne::library {

// The library cannot be opened, read or written: a missing, damaged or foreign database, a
// schema newer than this program, a refused login, a lock held too long, a full disk. The
// library is left as it was.
class LibraryError : public std::runtime_error {
public:
    explicit LibraryError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace varne::library
