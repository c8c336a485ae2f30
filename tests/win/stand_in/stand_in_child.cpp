// A stand-in for the launcher's child programs. Copied by the tests to
// "<folder>\<name> child.exe", it appends "[<arguments>]" to "<folder>\<name>.log"
// and then stays alive for the seconds written in "<folder>\<name>.hold" (none:
// it ends at once), or until the test sets the event "OvnStandInStop-<name>".
// A GUI program with no console, so it never holds the test runner's output.
#include <windows.h>

#include <string>

namespace {

std::wstring ArgumentsAfterProgram() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void AppendLine(const std::wstring& log, const std::string& line) {
    // Several copies may start at once: retry while another holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(f);
            return;
        }
        Sleep(10);
    }
}

DWORD ReadHoldSeconds(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    char buf[16] = {};
    DWORD got = 0;
    ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
    CloseHandle(f);
    return static_cast<DWORD>(strtoul(buf, nullptr, 10));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return 1;
    std::wstring path(self, len);
    const std::wstring suffix = L" child.exe";
    if (path.size() <= suffix.size() || _wcsicmp(path.c_str() + path.size() - suffix.size(), suffix.c_str()) != 0)
        return 1;
    const std::wstring base = path.substr(0, path.size() - suffix.size());
    const std::wstring name = base.substr(base.find_last_of(L'\\') + 1);

    AppendLine(base + L".log", "[" + Utf8(ArgumentsAfterProgram()) + "]\r\n");

    const DWORD hold = ReadHoldSeconds(base + L".hold");
    if (hold > 0) {
        HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, (L"OvnStandInStop-" + name).c_str());
        WaitForSingleObject(stop ? stop : GetCurrentProcess(), hold * 1000);
        if (stop)
            CloseHandle(stop);
    }
    return 0;
}
