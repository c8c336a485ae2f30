// Shared by the web-engine and game-page tests: message pumps (to a condition or
// until the queue is empty), an event recorder, OLE for one scope and the local
// portal's address.
#pragma once
#include <ole2.h>
#include <windows.h>

#include "framework/handles.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "browser/web_events.h"
#include "framework/app.h"
#include "message_pump.h"

namespace webtest {

using wintest::PumpIdle;
using wintest::PumpUntil;

using OleScope = fw::OleScope;

// Every event as one line, in order; "app:" navigations are cancelled.
class Recorder : public ovn::browser::WebViewEvents {
public:
    std::vector<std::wstring> log;
    bool cancelApp = true;
    int hostInfoQueries = 0;

    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override {
        log.push_back(L"before " + url);
        if (cancelApp && url.rfind(L"app:", 0) == 0)
            cancel = true;
    }
    void OnNavigateComplete(const std::wstring& url) override { log.push_back(L"complete " + url); }
    void OnDocumentComplete(const std::wstring& url) override { log.push_back(L"document " + url); }
    void OnTitleChange(const std::wstring& title) override { log.push_back(L"title " + title); }
    void OnNavigateError(const std::wstring& url, int status) override {
        log.push_back(L"error " + url + L" " + std::to_wstring(status));
    }
    std::uint32_t OnGetHostInfoFlags(std::uint32_t flags) override {
        ++hostInfoQueries;
        return flags;
    }

    size_t Count(const std::wstring& prefix) const {
        size_t n = 0;
        for (const auto& line : log)
            if (line.rfind(prefix, 0) == 0)
                ++n;
        return n;
    }
};

// The local portal's address for this process: OVN_PORTAL as given, else the
// first line of the file OVN_PORTAL_FILE names (the portal's start script writes
// it there), put into OVN_PORTAL where the local-portal build reads it.
inline std::wstring EnsurePortalAddress() {
    if (const wchar_t* given = _wgetenv(L"OVN_PORTAL"); given && *given)
        return given;
    const wchar_t* file = _wgetenv(L"OVN_PORTAL_FILE");
    if (!file || !*file)
        return {};
    HANDLE h = ::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    char buf[128] = {};
    DWORD read = 0;
    ::ReadFile(h, buf, sizeof(buf) - 1, &read, nullptr);
    ::CloseHandle(h);
    std::wstring address;
    for (DWORD i = 0; i < read && buf[i] != '\r' && buf[i] != '\n'; ++i)
        address += static_cast<wchar_t>(buf[i]);
    if (!address.empty())
        _wputenv_s(L"OVN_PORTAL", address.c_str());
    return address;
}

// A plain top-level window to hold a view.
inline HWND MakeHostWindow(int width = 640, int height = 480) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OvnWebTestHost";
    ::RegisterClassW(&wc);  // a second registration fails harmlessly
    return ::CreateWindowExW(0, L"OvnWebTestHost", L"web test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width,
                             height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace webtest
