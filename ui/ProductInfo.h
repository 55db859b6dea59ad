#pragma once

namespace varne {

// How the program names itself to its user.
inline constexpr char kProductTitle[] = "Varne Series Relay Tester Report";
inline constexpr char kProductVersion[] = "V3.12";

// The About command: the text of its item in the window's menu and its command id. Command
// ids are compared with their low four bits cleared.
inline constexpr char kAboutMenuText[] = "?? Lumenta(&A)...";
inline constexpr int kAboutCommandId = 0x10;

} // namespace varne
