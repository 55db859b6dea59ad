#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace varne {

// The fingerprint of a test: lowercase hexadecimal SHA-256 of its identity bytes
// (TestRecord::identityBytes). The same test in any download has the same fingerprint.
std::string RecordFingerprint(std::span<const std::uint8_t> identityBytes);

} // namespace varne
