// The program's entry in the system's list of installed programs ("Programs and
// Features", "Add or Remove Programs" on XP): its values, and the version read
// from a program file's version resource. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ovn {

// Under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kProgramsEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuenraOrvane";
// The name the player knows the program by (its shortcut's) and its maker, as
// the program's version resource names it.
inline constexpr wchar_t kProgramsEntryName[] = L"QuenraOrvane极速登录器";
inline constexpr wchar_t kProgramsEntryPublisher[] = L"Quenra";

struct EntryValue {
    std::wstring name;
    std::variant<std::wstring, std::uint32_t> data;  // REG_SZ or REG_DWORD
};

// The entry of the installed program exePath in installFolder, of version
// version and exeBytes bytes (EstimatedSize is in whole kilobytes, rounded up).
std::vector<EntryValue> ProgramsEntry(std::wstring_view exePath, std::wstring_view installFolder,
                                      std::wstring_view version, std::uint64_t exeBytes);

// "a.b.c.d" from the fixed file information in a program's version resource
// (the bytes of its RT_VERSION resource); none when it holds none.
std::optional<std::wstring> FixedFileVersion(const std::uint8_t* data, std::size_t size);

}  // namespace ovn
