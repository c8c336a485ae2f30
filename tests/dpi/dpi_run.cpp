// Runs a test program of this folder at a DPI of Wine's choosing:
//   ovn_dpi_run <dpi> <program> [arguments...]
// Wine reads its DPI from the registry (the user's "Control Panel\Desktop"
// LogPixels, over the machine's) when a process starts, and a process started
// afterwards sees a new value at once, with the same server and desktop. So the
// value is set, the program runs (with OVN_TEST_DPI naming the DPI it must find)
// and the value is put back as it was, whatever the program's end.
//   ovn_dpi_run --reset   removes the value (after a run that was cut short).
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "framework/handles.h"

namespace {

constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
constexpr const wchar_t* kLogPixels = L"LogPixels";

class DesktopKey {
public:
    DesktopKey() {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS)
            m_key.reset(key);
    }
    explicit operator bool() const { return static_cast<bool>(m_key); }

    std::optional<DWORD> Read() const {
        DWORD value = 0, type = 0, size = sizeof value;
        if (RegQueryValueExW(m_key.get(), kLogPixels, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value)
            return std::nullopt;
        return value;
    }
    bool Write(std::optional<DWORD> value) const {
        if (!value)
            return RegDeleteValueW(m_key.get(), kLogPixels) == ERROR_SUCCESS;
        return RegSetValueExW(m_key.get(), kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                              sizeof *value) == ERROR_SUCCESS;
    }

private:
    fw::RegKey m_key;
};

// Puts the value back as it was when this was made.
class DpiSetting {
public:
    explicit DpiSetting(const DesktopKey& key) : m_key(key), m_was(key.Read()) {}
    ~DpiSetting() { m_key.Write(m_was); }
    DpiSetting(const DpiSetting&) = delete;
    DpiSetting& operator=(const DpiSetting&) = delete;

private:
    const DesktopKey& m_key;
    std::optional<DWORD> m_was;
};

std::wstring Quoted(const wchar_t* arg) {
    std::wstring out = L"\"";
    for (const wchar_t* p = arg; *p; ++p) {
        if (*p == L'"')
            out += L'\\';
        out += *p;
    }
    return out + L"\"";
}

// The program's path: a bare name is looked for next to this runner.
std::wstring ProgramPath(const wchar_t* name) {
    if (std::wcschr(name, L'\\') || std::wcschr(name, L'/'))
        return name;
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return name;
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    DesktopKey key;
    if (!key) {
        std::fwprintf(stderr, L"ovn_dpi_run: the desktop settings cannot be opened\n");
        return 2;
    }
    if (argc == 2 && std::wcscmp(argv[1], L"--reset") == 0)
        return key.Write(std::nullopt) || !key.Read() ? 0 : 1;
    const long dpi = argc >= 3 ? std::wcstol(argv[1], nullptr, 10) : 0;
    if (dpi < 96 || dpi > 480) {
        std::fwprintf(stderr, L"usage: ovn_dpi_run <dpi 96..480> <program> [arguments...] | --reset\n");
        return 2;
    }
    const DpiSetting restore(key);
    if (!key.Write(static_cast<DWORD>(dpi))) {
        std::fwprintf(stderr, L"ovn_dpi_run: LogPixels not written\n");
        return 2;
    }
    SetEnvironmentVariableW(L"OVN_TEST_DPI", argv[1]);
    const std::wstring program = ProgramPath(argv[2]);
    std::wstring line = Quoted(program.c_str());
    for (int i = 3; i < argc; ++i)
        line += L" " + Quoted(argv[i]);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"ovn_dpi_run: %ls not started (%lu)\n", program.c_str(), GetLastError());
        return 2;
    }
    const fw::Handle thread(pi.hThread), process(pi.hProcess);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}
