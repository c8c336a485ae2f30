// The Flash Player version rule: the installed version must be strictly newer
// than the one the game needs. Platform-free; the registry read is in startup.cpp.
#pragma once
#include <string_view>

namespace ovn {

inline constexpr std::wstring_view kRequiredFlashVersion = L"10,3,102,64";

// Compares two comma-separated versions component by component, at most four
// rounds; a text with fewer components repeats its last one. True only when
// installed is greater; an equal version counts as too old.
bool IsFlashVersionNewer(std::wstring_view installed, std::wstring_view required = kRequiredFlashVersion);

}  // namespace ovn
