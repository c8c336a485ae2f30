// The MD5 digest of a file through the system's crypto provider.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ovn::downloads {

// 32 lower-case hexadecimal digits, or nothing when the file cannot be read or
// the provider refuses.
std::optional<std::wstring> Md5OfFile(const std::wstring& path);
// The same for a file open for reading, from its first byte.
std::optional<std::wstring> Md5OfHandle(HANDLE file);

// The key this copy computes for itself from its own file (LocalVersionKey).
std::optional<std::wstring> LocalVersionKey();

}  // namespace ovn::downloads
