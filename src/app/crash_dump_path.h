// Where the crash dump goes: next to the executable, its extension replaced.
// Platform-free.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

// "C:\Games\X.exe" gives "C:\Games\X.dmp"; a path without a "." gives none.
std::optional<std::wstring> CrashDumpPath(std::wstring_view exePath);

}  // namespace ovn
