#include "common/log.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

#include "common/log_line.h"
#include "framework/handles.h"

namespace ovn {

namespace {

wchar_t g_role[32] = {};

// The system's text for error, in the buffer; WinINet's own codes live in its module.
std::wstring_view SystemMessage(unsigned long error, wchar_t* buffer, DWORD capacity) {
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE from = nullptr;
    if (error >= 12000 && error < 13000 && (from = ::GetModuleHandleW(L"wininet.dll")) != nullptr)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD n = ::FormatMessageW(flags, from, error, 0, buffer, capacity, nullptr);
    return std::wstring_view(buffer, n);
}

void AppendToFile(const wchar_t* line, std::size_t length) {
    wchar_t path[1024];
    DWORD n = ::GetEnvironmentVariableW(L"OVN_LOG", path, 1024);
    if (n == 0 || n >= 1024)
        return;
    char utf8[log::kMaxLine * 3];
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line, static_cast<int>(length), utf8, sizeof utf8, nullptr, nullptr);
    if (bytes <= 0)
        return;
    // Opened for appending only, per line and shared: every write lands at the
    // end, whoever else has the file open or writes to it at the same time.
    fw::FileHandle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    ::WriteFile(file.get(), utf8, static_cast<DWORD>(bytes), &written, nullptr);
}

}  // namespace

void SetLogRole(const wchar_t* role) {
    std::size_t i = 0;
    for (; role && role[i] && i + 1 < std::size(g_role); ++i)
        g_role[i] = role[i];
    g_role[i] = L'\0';
}

void LogFailure(const wchar_t* what, unsigned long error) {
    const DWORD saved = ::GetLastError();
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    wchar_t message[512];
    log::FailureLine parts;
    parts.time = {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    parts.processId = ::GetCurrentProcessId();
    parts.role = g_role;
    parts.text = what ? what : L"";
    parts.error = error;
    if (error != 0)
        parts.errorMessage = SystemMessage(error, message, 512);
    wchar_t line[log::kMaxLine];
    std::size_t length = log::FormatFailureLine(parts, line, log::kMaxLine);
    ::OutputDebugStringW(line);
    AppendToFile(line, length);
    ::SetLastError(saved);
}

void LogFailureF(unsigned long error, const wchar_t* format, ...) {
    const DWORD saved = ::GetLastError();
    wchar_t what[log::kMaxLine];
    what[0] = L'\0';
    va_list args;
    va_start(args, format);
    std::vswprintf(what, log::kMaxLine, format ? format : L"", args);
    va_end(args);
    what[log::kMaxLine - 1] = L'\0';  // a text too long may be left unterminated
    ::SetLastError(saved);
    LogFailure(what, error);
}

}  // namespace ovn
