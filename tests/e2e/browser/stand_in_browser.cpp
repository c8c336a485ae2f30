// A browser that opens nothing: it appends its command line (UTF-16) to the file
// that OVN_BROWSER_RECORD names, so a test can see which page it was asked for.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t record[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"OVN_BROWSER_RECORD", record, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return 0;
}
