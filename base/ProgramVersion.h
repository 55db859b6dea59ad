#pragma once

namespace varne {

// The version of the programs, from the project's build description.
inline constexpr char kProgramVersion[] = VARNE_VERSION;

} // namespace varne
