// Shared by the life-cycle e2e tests: the installed state read from outside the
// program (folder, files, shortcuts through the shell, the registry key, the
// counters), clearing it between tests, and ending every copy of the program.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver/driver.h"

namespace life {

using namespace e2e;

inline constexpr wchar_t kLinkGame[] = L"QuenraOrvane极速登录器";
inline constexpr wchar_t kLinkPortal[] = L"Quenra网页游戏";
inline constexpr wchar_t kLinkUninstall[] = L"卸载 QuenraOrvane极速登录器";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Quenra\\GameLogin\\Ovn";
inline constexpr wchar_t kProgramsEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuenraOrvane";

inline std::wstring SpecialFolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
inline std::wstring InstallFolder() { return SpecialFolderPath(CSIDL_COMMON_APPDATA) + L"\\Quenra\\GameLogin"; }
// The player's own folder, where the program puts what it makes while it runs.
inline std::wstring PlayerFolder() { return SpecialFolderPath(CSIDL_LOCAL_APPDATA) + L"\\Quenra\\GameLogin"; }
inline std::wstring InstalledExe() { return InstallFolder() + L"\\Ovn.exe"; }
inline std::wstring DesktopLink(const wchar_t* name) {
    return SpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\" + name + L".lnk";
}
inline std::wstring ProgramsFolder() { return SpecialFolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Quenra登录器"; }
inline std::wstring ProgramsLink(const wchar_t* name) { return ProgramsFolder() + L"\\" + name + L".lnk"; }

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names in a folder matching pattern ("." and ".." left out).
inline std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*") {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        if (std::wstring_view(data.cFileName) != L"." && std::wstring_view(data.cFileName) != L"..")
            names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

inline std::string FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool CopyOver(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE); }

// Wine's Z: drive is the Linux root: the portal reads files by their Linux path.
inline std::wstring LinuxPath(std::wstring path) {
    if (path.size() >= 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':')
        path = path.substr(2);
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

inline std::wstring ReadCounter(const wchar_t* key) {
    wchar_t text[32] = {};
    GetPrivateProfileStringW(L"Ovn", key, L"", text, 32, (InstallFolder() + L"\\Statistic.ini").c_str());
    return text;
}

inline bool SettingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A binary value of the settings key; empty when missing.
inline std::string RegistryValue(const wchar_t* name) {
    BYTE data[64] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_REG_BINARY, nullptr, data, &size) != ERROR_SUCCESS)
        return {};
    return std::string(reinterpret_cast<char*>(data), size);
}

struct LinkInfo {
    std::wstring target, arguments, iconPath, description;
    int iconIndex = -1;
    bool loaded = false;
};

inline LinkInfo ReadLink(const std::wstring& path) {
    LinkInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t text[1024] = {};
        link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
        info.target = text;
        text[0] = 0;
        link->GetArguments(text, 1024);
        info.arguments = text;
        text[0] = 0;
        link->GetIconLocation(text, 1024, &info.iconIndex);
        info.iconPath = text;
        text[0] = 0;
        link->GetDescription(text, 1024);
        info.description = text;
        info.loaded = true;
    }
    if (file)
        file->Release();
    link->Release();
    return info;
}

// Ends every running copy of the program: launchers are closed as a player
// would, anything left is ended.
inline void EndAllCopies() {
    for (const ProcessEntry& p : ProcessesNamed(L"Ovn.exe")) {
        SettleChildren(p.pid, 5s);
        for (HWND w : FindWindows({.pid = p.pid, .title = L"QuenraOrvane", .visibleOnly = true}))
            PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    WaitFor([] { return ProcessesNamed(L"Ovn.exe").empty(); }, 10s);
    for (const ProcessEntry& p : ProcessesNamed(L"Ovn.exe"))
        if (fw::Handle h{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.pid)}) {
            TerminateProcess(h.get(), 1);
            WaitForSingleObject(h.get(), 5000);
        }
}

// Back to a computer where the program was never installed.
inline void ClearInstallation() {
    EndAllCopies();
    const std::wstring folder = InstallFolder();
    for (const std::wstring& name : FilesIn(folder))
        DeleteFileW((folder + L"\\" + name).c_str());
    for (const wchar_t* name : {kLinkGame, kLinkPortal})
        DeleteFileW(DesktopLink(name).c_str());
    for (const wchar_t* name : {kLinkGame, kLinkUninstall})
        DeleteFileW(ProgramsLink(name).c_str());
    RemoveDirectoryW(ProgramsFolder().c_str());
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey);
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kProgramsEntryKey);
}

// A value of the program's entry in the list of installed programs: its text,
// or a number's decimal digits; empty when missing.
inline std::wstring ProgramsEntryValue(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text, type = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kProgramsEntryKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text,
                     &size) != ERROR_SUCCESS)
        return {};
    return type == REG_DWORD ? std::to_wstring(*reinterpret_cast<DWORD*>(text)) : std::wstring(text);
}

// What the system's list of installed programs shows, as Wine's own tool lists
// it: one "key|||name" line per entry.
inline std::string InstalledProgramsList() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0))
        return {};
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"uninstaller.exe --list";
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(write);
    std::string out;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got)
            out.append(buffer, got);
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(read);
    return out;
}

// The update configuration the portal publishes next.
inline void PublishUpdate(const std::wstring& mode, const std::wstring& tag = L"1") {
    HttpGet(L"/__update?mode=" + mode + L"&tag=" + tag + L"&exe=" + LinuxPath(Environment::Get().exePath));
}

inline int CountRequests(const std::string& what) {
    auto log = PortalRequests();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; }));
}

// A process named Ovn.exe started by parent, or 0.
inline DWORD ChildCopy(DWORD parent) {
    for (const ProcessEntry& p : ProcessesNamed(L"Ovn.exe"))
        if (p.parent == parent)
            return p.pid;
    return 0;
}

}  // namespace life
