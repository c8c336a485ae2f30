// The demo's scripted tour on a screen nobody watches: starts the launcher
// against the local portal, walks through a few states and saves a screenshot
// of each in OVN_TOUR_OUT. Ends by itself.
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/protocol.h"
#include "res/resource.h"
#include "tests/e2e/driver/driver.h"

using namespace e2e;

namespace {

std::wstring g_out;

void Shot(const wchar_t* name, HWND hwnd = nullptr) {
    std::wstring path = g_out + L"\\" + name + L".png";
    wprintf(L"  %ls: %ls\n", name, SaveScreenshot(path, hwnd) ? L"saved" : L"FAILED");
}

}  // namespace

int wmain() {
    const wchar_t* out = _wgetenv(L"OVN_TOUR_OUT");
    g_out = out ? out : L".";
    Process launcher;
    if (!launcher.Start(L"/OvnD")) {
        wprintf(L"cannot start %ls\n", Environment::Get().exePath.c_str());
        return 1;
    }
    HWND wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane"}, 30s);
    if (!wnd) {
        wprintf(L"the launcher window did not appear\n");
        return 1;
    }
    wprintf(L"launcher started; its first page process is being adopted\n");
    WaitFor([&] { return !ForeignChildren(wnd).empty(); }, 30s);
    // The pauses before the pictures are for their looks only (nothing is checked
    // here): another process's paint has no event to wait for.
    Sleep(1500);
    Shot(L"launcher");

    wprintf(L"the hall button hides the hall\n");
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    WaitFor([&] { return ForeignChildren(wnd).empty() || !IsWindowVisible(ForeignChildren(wnd).front()); });
    Sleep(500);
    Shot(L"launcher-hall-hidden");

    wprintf(L"closing the launcher (no account has logged in, so it does not ask)\n");
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = launcher.Wait(10s);
    wprintf(L"launcher ended (exit code %lu)\n", code);
    return code == 0 ? 0 : 1;
}
