// Which role a process of the executable plays, decided from its command line
// and, when no switch is given, from the folder it runs from. Platform-free: the
// caller supplies the argument vector (already split by the Windows rules), the
// executable's full path and the install folder, so the rule can be tested alone.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/protocol.h"

namespace ovn {

struct StartModeInfo {
    StartMode mode = ModeInstall;
    // The launcher's window handle as the launcher wrote it (a 32-bit handle value,
    // see HandleToArgument); 0 in every mode but ModeGamePage and ModeGameHall,
    // and 0 when the argument is missing or unreadable.
    std::int32_t launcherWnd = 0;
    // How many pages the launcher held when it started this page (ModeGamePage).
    std::int32_t pagesBefore = 0;
    // The secret the launcher gave this page (ModeGamePage); 0 when it gave none.
    std::uint64_t pageToken = 0;
};

// Longest number arguments that are read: the launcher's handle ("/" and at most
// 14 characters) and the page count ("/" and at most 6).
inline constexpr std::size_t kHandleArgMax = 15;
inline constexpr std::size_t kCountArgMax = 7;

// args[0] is the program; exePath and gameLoginFolder are compared without regard
// to case, the folder anywhere inside the path.
StartModeInfo DetectStartMode(const std::vector<std::wstring>& args, std::wstring_view exePath,
                              std::wstring_view gameLoginFolder);

// The role's name in the failure log: "install", "portal", "shortcut",
// "launcher", "remove", "update", "page" or "hall".
const wchar_t* StartModeRole(StartMode mode);

// Reads one number argument of "/newgm" or "/gmhall": its first character (the
// "/" the launcher writes) is skipped and the rest read as a signed decimal.
// A missing argument, one longer than maxChars, or a value outside the 32-bit
// range gives 0 rather than a truncated number that might name another window.
// Values up to 0xFFFFFFFF are taken as the unsigned spelling of the same handle.
std::int32_t ReadNumberArgument(std::wstring_view arg, std::size_t maxChars);

}  // namespace ovn
