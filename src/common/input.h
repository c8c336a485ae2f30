// What the input rules of the launcher and of its pages read. The system's
// message, command and key numbers are spelled out here, so that the rules build
// and are tested without <windows.h>. Platform-free.
#pragma once
#include <cstdint>

namespace ovn {

inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmChar = 0x0102;
inline constexpr unsigned kWmSysKeyDown = 0x0104;
inline constexpr unsigned kWmSysCommand = 0x0112;
inline constexpr std::uintptr_t kScClose = 0xF060;
inline constexpr std::uintptr_t kScRestore = 0xF120;
inline constexpr std::uintptr_t kVkEscape = 0x1B;
inline constexpr std::uintptr_t kVkSpace = 0x20;
inline constexpr std::uintptr_t kVkF5 = 0x74;

}  // namespace ovn
