// A path in the temporary folder for a test's own file, with nothing there yet.
#pragma once
#include <windows.h>

#include <string>

namespace wintest {

inline std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    ::DeleteFileW(path.c_str());
    return path;
}

}  // namespace wintest
