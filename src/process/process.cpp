#include "process/process.h"

#include <ntsecapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <tuple>

#include "common/log.h"
#include "common/newer_windows.h"
#include "process/command_line.h"
#include "process/folders.h"

namespace ovn {

HWND LauncherWnd = nullptr;
int PagesBefore = 0;
std::uint64_t PageSecret = 0;

std::uint64_t NewPageToken() {
    // The system's random source (there since the oldest Windows we run on).
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::uint64_t token = 0;
        if (::RtlGenRandom(&token, sizeof token) && token != 0)
            return token;
    }
    // Never a guessable stand-in: without a token the page cannot claim its
    // label, and the player sees the login refused.
    LogFailure(L"no random source for a page's token", ::GetLastError());
    return 0;
}

std::wstring ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};  // a cut-off path would name another file
    return std::wstring(path, n);
}

std::wstring GameLoginFolder() {
    wchar_t common[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)) ||
        common[0] == L'\0')
        return {};
    return std::wstring(common) + L"\\Quenra\\GameLogin";
}

std::wstring PlayerFolderPath() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)))
        return {};
    return PlayerFolderUnder(local);
}

bool MakePlayerFolder(const std::wstring& path) {
    if (path.size() < 2 || path.back() != L'\\')
        return false;
    // The folder and the one above it (Quenra\GameLogin); the local
    // application-data folder itself is the system's.
    const std::wstring folder = path.substr(0, path.size() - 1);
    const std::size_t slash = folder.rfind(L'\\');
    for (const std::wstring& level : {slash == std::wstring::npos ? folder : folder.substr(0, slash), folder}) {
        if (!::CreateDirectoryW(level.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            LogFailureF(::GetLastError(), L"cannot make %ls", level.c_str());
            return false;
        }
    }
    return true;
}

std::wstring PlayerFolder() {
    const std::wstring path = PlayerFolderPath();
    if (path.empty()) {
        LogFailure(L"the system names no local application-data folder", 0);
        return {};
    }
    return MakePlayerFolder(path) ? path : std::wstring();
}

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return args;
    for (int i = 0; i < count; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

// Window handles fit in 32 bits on every Windows, so 32- and 64-bit copies agree.
std::int32_t HandleToArgument(HWND window) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window));
}

HWND HandleFromArgument(std::int32_t value) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value)); }

namespace {

constexpr wchar_t kLauncherMark[] = L"Ovn.LauncherWindow";

// Whether two paths name the same file (its volume and index), whatever the
// spelling: long or short names, letter case.
bool SameFile(const std::wstring& a, const std::wstring& b) {
    auto identity = [](const std::wstring& path) -> std::optional<std::tuple<DWORD, DWORD, DWORD>> {
        fw::FileHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file || !::GetFileInformationByHandle(file.get(), &info))
            return std::nullopt;
        return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    };
    const auto first = identity(a), second = identity(b);
    return first && second && *first == *second;
}

}  // namespace

void MarkAsLauncherWindow(HWND window) { ::SetPropW(window, kLauncherMark, reinterpret_cast<HANDLE>(1)); }
void UnmarkLauncherWindow(HWND window) { ::RemovePropW(window, kLauncherMark); }

bool IsOurLauncherWindow(HWND window) {
    // IsWindow answers true for no pseudo handle, but HWND_BROADCAST and the
    // like must never even reach it as a candidate.
    if (!window || window == HWND_BROADCAST || window == HWND_TOPMOST || window == HWND_NOTOPMOST ||
        window == HWND_MESSAGE || !::IsWindow(window) || ::GetAncestor(window, GA_ROOT) != window)
        return false;
    if (!::GetPropW(window, kLauncherMark))
        return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == 0)
        return false;
    const std::wstring image = ProcessImagePath(pid);
    return !image.empty() && SameFile(image, ExecutablePath());
}

namespace {

// The line is not logged: a page's holds its token.
bool StartLine(const std::wstring& program, std::wstring line, fw::Handle* keepProcess) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    // CreateProcessW may write into the command line: hand it our own copy.
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr, nullptr, &si,
                          &pi)) {
        LogFailureF(::GetLastError(), L"cannot start %ls", program.c_str());
        return false;
    }
    fw::Handle thread(pi.hThread);
    fw::Handle process(pi.hProcess);
    if (keepProcess)
        *keepProcess = std::move(process);
    return true;
}

}  // namespace

bool StartProgramWithArguments(const std::wstring& program, const std::vector<std::wstring>& args,
                               fw::Handle* keepProcess) {
    auto line = BuildChildCommandLine(program, args);
    if (!line) {
        LogFailureF(0, L"refused to start %ls: no valid command line (too long, or not a path)", program.c_str());
        return false;
    }
    return StartLine(program, std::move(*line), keepProcess);
}

bool StartSelfWithArguments(const std::vector<std::wstring>& args, fw::Handle* keepProcess) {
    return StartProgramWithArguments(ExecutablePath(), args, keepProcess);
}

void StartSelfProcess(const wchar_t* path) {
    std::wstring program = path ? std::wstring(path) : ExecutablePath();
    if (program.empty()) {
        LogFailure(L"cannot start a further process: the program's own path is unknown", 0);
        return;
    }
    if (program.size() >= MAX_PATH) {
        LogFailureF(ERROR_FILENAME_EXCED_RANGE, L"cannot start %ls", program.c_str());
        return;
    }
    // Quoted, so a path with blanks cannot be taken for a shorter program.
    StartProgramWithArguments(program, {});
}

std::wstring ExecutableFolder() {
    const std::wstring exe = ExecutablePath();
    const std::size_t slash = exe.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash + 1);
}

std::wstring LocalSettingsPath() {
    const std::wstring folder = ExecutableFolder();
    return folder.empty() ? std::wstring() : folder + L"Statistic.ini";
}

bool WriteSettingsValue(const wchar_t* name, const void* data, DWORD size) {
    HKEY raw = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        LogFailureF(static_cast<unsigned long>(status), L"cannot open the settings key to write %ls", name);
        return false;
    }
    fw::RegKey key(raw);
    status = ::RegSetValueExW(key.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    if (status != ERROR_SUCCESS) {
        LogFailureF(static_cast<unsigned long>(status), L"cannot write %ls in the settings key", name);
        return false;
    }
    return true;
}

}  // namespace ovn
