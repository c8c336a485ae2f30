#include "common/newer_windows.h"

#include <atomic>
#include <cstdint>

#include "common/tick_count.h"
#include "framework/handles.h"

namespace ovn {

namespace {

// A function of a system library the process has loaded already, or null.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = ::GetModuleHandleW(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// Vista's FILE_BASIC_INFO, which XP's headers do not declare.
struct BasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    DWORD fileAttributes;
};
constexpr int kFileBasicInfo = 0;

}  // namespace

namespace {
// The XP way's count, shared by every caller.
std::atomic<std::uint64_t> g_tickCount{0};
}  // namespace

unsigned long long TickCount64() {
    // Looked up at each call, with no function-local static: the thread library
    // calls this while it waits, and a static's first-use guard waits through it.
    using Fn = ULONGLONG(WINAPI*)();
    if (const Fn newer = SystemFunction<Fn>(L"kernel32.dll", "GetTickCount64"))
        return newer();
    return xp::TickCount64();
}

namespace xp {

unsigned long long TickCount64() {
    // Every caller's reading moves the one shared count on; a reading a little
    // older than the count (another thread's came first) is no wrap.
    constexpr std::uint32_t kBehindAtMost = 3600000;
    std::atomic<std::uint64_t>& count = g_tickCount;
    std::uint64_t last = count.load();
    for (;;) {
        const std::uint32_t now = ::GetTickCount();
        if (static_cast<std::uint32_t>(static_cast<std::uint32_t>(last) - now) - 1u < kBehindAtMost)
            return last;
        const std::uint64_t next = ExtendTickCount(last, now);
        if (count.compare_exchange_weak(last, next))
            return next;
    }
}

}  // namespace xp

std::wstring ProcessImagePath(DWORD processId) {
    using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    static const QueryFn query = SystemFunction<QueryFn>(L"kernel32.dll", "QueryFullProcessImageNameW");
    wchar_t image[MAX_PATH] = {};
    if (query) {
        // PROCESS_QUERY_LIMITED_INFORMATION: enough for this, and granted for
        // more processes than full query rights.
        fw::Handle process(::OpenProcess(0x1000, FALSE, processId));
        DWORD size = MAX_PATH;
        if (!process || !query(process.get(), 0, image, &size))
            return {};
        return std::wstring(image, size);
    }
    return xp::ProcessImagePath(processId);
}

namespace xp {

std::wstring ProcessImagePath(DWORD processId) {
    // The path of the process's main module, through the process-status
    // library, taken from the system folder by its full path.
    wchar_t image[MAX_PATH] = {};
    wchar_t library[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(library, MAX_PATH - 16);
    if (n == 0 || n >= MAX_PATH - 16)
        return {};
    ::lstrcatW(library, L"\\psapi.dll");
    fw::Library psapi(::LoadLibraryW(library));
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    auto moduleName = psapi ? reinterpret_cast<ModuleNameFn>(
                                  reinterpret_cast<void*>(::GetProcAddress(psapi.get(), "GetModuleFileNameExW")))
                            : nullptr;
    fw::Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!moduleName || !process)
        return {};
    const DWORD got = moduleName(process.get(), nullptr, image, MAX_PATH);
    return got == 0 || got >= MAX_PATH ? std::wstring() : std::wstring(image, got);
}

}  // namespace xp

DWORD ProcessIdOf(HANDLE process) {
    using Fn = DWORD(WINAPI*)(HANDLE);
    static const Fn getId = SystemFunction<Fn>(L"kernel32.dll", "GetProcessId");
    return getId && process ? getId(process) : 0;
}

bool SetAttributesByHandle(HANDLE file, DWORD attributes) {
    using Fn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const Fn setInfo = SystemFunction<Fn>(L"kernel32.dll", "SetFileInformationByHandle");
    if (!setInfo || !file || file == INVALID_HANDLE_VALUE)
        return false;
    BasicInfo info{};  // zero times: left as they are
    info.fileAttributes = attributes;
    return setInfo(file, kFileBasicInfo, &info, sizeof info) != FALSE;
}

std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* name) {
    std::wstring path = subKey ? subKey : L"";
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    fw::RegKey key(raw);
    DWORD type = 0, value = 0, size = sizeof value;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

bool LeaveCurrentFolderOutOfDllSearch() {
    using Fn = BOOL(WINAPI*)(LPCWSTR);
    static const Fn setDirectory = SystemFunction<Fn>(L"kernel32.dll", "SetDllDirectoryW");
    return setDirectory && setDirectory(L"") != FALSE;
}

int WindowDpi(HWND window) {
    using ForWindowFn = UINT(WINAPI*)(HWND);
    if (const ForWindowFn forWindow = SystemFunction<ForWindowFn>(L"user32.dll", "GetDpiForWindow"))
        if (const UINT dpi = forWindow(window))
            return static_cast<int>(dpi);
    // Windows 8.1: the monitor's DPI, from a library only that system has
    // (loaded from the system folder only, and only when the call above is missing).
    using ForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    wchar_t path[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
    if (n > 0 && n < MAX_PATH - 12) {
        lstrcatW(path, L"\\shcore.dll");
        fw::Library shcore(::LoadLibraryExW(path, nullptr, 0));
        const auto forMonitor = shcore ? reinterpret_cast<ForMonitorFn>(reinterpret_cast<void*>(
                                             ::GetProcAddress(shcore.get(), "GetDpiForMonitor")))
                                       : nullptr;
        UINT x = 0, y = 0;
        HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (forMonitor && monitor && SUCCEEDED(forMonitor(monitor, 0 /* effective */, &x, &y)) && x)
            return static_cast<int>(x);
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace ovn
