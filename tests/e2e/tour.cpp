// The demo's scripted tour on a screen nobody watches: starts the launcher
// against the local portal, walks through a few states and saves a screenshot
// of each in OVN_TOUR_OUT. Ends by itself.
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/protocol.h"
#include "res/resource.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/login.h"

using namespace e2e;

namespace {

std::wstring g_out;

void Shot(const wchar_t* name, HWND hwnd = nullptr) {
    std::wstring path = g_out + L"\\" + name + L".png";
    wprintf(L"  %ls: %ls\n", name, SaveScreenshot(path, hwnd) ? L"saved" : L"FAILED");
}

// Makes the launcher paint everything now and waits until its thread has done
// so, so the picture is taken after the paint rather than after a guess.
void Painted(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
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
    wprintf(L"launcher started; its first page process shows the login\n");
    const LoginWindows login = WaitForLogin(wnd);
    if (!login.page) {
        wprintf(L"the login page did not appear\n");
        return 1;
    }
    Painted(login.page);
    // The artwork is on screen once its middle, seen through the page, is.
    const RECT art = WindowRect(login.background);
    WaitFor([&] {
        HDC screen = GetDC(nullptr);
        const COLORREF middle = GetPixel(screen, art.left + 444, art.top + 259);
        ReleaseDC(nullptr, screen);
        return middle != RGB(0, 0, 0) && middle != CLR_INVALID;
    });
    Shot(L"login");
    wprintf(L"a server and an account are picked; the game page is adopted\n");
    ClickLink(login.page, LoginPageUrl(), L"S3服", kLoginPageHostFlags);
    WaitFor([&] { return !ForeignChildren(wnd).empty(); }, 30s);
    Painted(wnd);
    Shot(L"launcher");

    wprintf(L"the hall button shows the hall over the page\n");
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    WaitFor([&] { return ForeignChildren(wnd).size() >= 2; }, 30s);
    Painted(wnd);
    Shot(L"launcher-hall");

    wprintf(L"the portal's notice comes up at the bottom-right a few seconds after the first page\n");
    HWND notice = nullptr;
    WaitFor([&] {
        for (HWND h : FindWindows({.pid = launcher.Id(), .className = L"#32770", .visibleOnly = true}))
            if (GetDlgItem(h, IDC_POP_TEXT))
                notice = h;
        return notice != nullptr;
    }, 20s);
    if (notice) {
        Painted(notice);
        Shot(L"notice", notice);
    }

    wprintf(L"closing the launcher (it asks first: an account is in a game)\n");
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？"))
        PressBoxButton(box, L"是");
    DWORD code = launcher.Wait(10s);
    wprintf(L"launcher ended (exit code %lu)\n", code);
    return code == 0 ? 0 : 1;
}
