// The demo's scripted tour on a screen nobody watches: starts the launcher
// against the local portal, walks through a few states and saves a screenshot
// of each in OVN_TOUR_OUT. Ends by itself.
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/protocol.h"
#include "res/resource.h"
#include "skin/dlg_ex.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/login.h"
#include "tests/win/open_menu.h"

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

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool Drawn(COLORREF colour) { return colour != RGB(0, 0, 0) && colour != CLR_INVALID; }

// The launcher has filled the work area and its caption band and page area are
// on the screen: what a picture of it must show. The first page's adoption
// makes it fill the screen; until it has painted at that size, the screen
// there is still the black of the empty display.
bool LauncherOnScreen(HWND wnd) {
    RECT work{}, r = WindowRect(wnd);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!EqualRect(&work, &r) || !IsWindowVisible(wnd))
        return false;
    Painted(wnd);
    const int middle = (r.left + r.right) / 2;
    return Drawn(ScreenPixel(middle, r.top + 15)) && Drawn(ScreenPixel(middle, (r.top + r.bottom) / 2)) &&
           Drawn(ScreenPixel(r.left + 2, r.bottom - 2));
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
    if (!WaitFor([&] { return LauncherOnScreen(wnd); }, 20s))
        wprintf(L"  (the launcher did not paint over the screen in time)\n");
    // Right after its first paint the launcher adds its tray icon, a call that
    // holds its thread for a few tens of milliseconds: the buttons at the
    // caption's end, painted last, may still be waiting for the repaint asked
    // for meanwhile. Read from the screen until they are there.
    WaitFor([&] {
        for (UINT id : {ovn::skin::kIdSysMinimize, ovn::skin::kIdSysMaximize, ovn::skin::kIdSysClose}) {
            const RECT b = WindowRect(GetDlgItem(wnd, static_cast<int>(id)));
            if (IsRectEmpty(&b) || !Drawn(ScreenPixel((b.left + b.right) / 2, (b.top + b.bottom) / 2)))
                return false;
        }
        return true;
    }, 5s);
    Shot(L"launcher");

    wprintf(L"the system menu opens under its button in the title strip\n");
    ClickWindow(GetDlgItem(wnd, IDC_BTN_MENU));
    const menutest::OpenMenu menu = menutest::WaitForOpenMenu(launcher.Id());
    if (menu.window) {
        // On screen once its background shows at both ends (the launcher under
        // it is dark, the menu light).
        const RECT m = WindowRect(menu.window);
        const COLORREF background = GetSysColor(COLOR_MENU);
        WaitFor([&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(menu.window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
            return ScreenPixel(m.right - 6, m.top + 6) == background &&
                   ScreenPixel(m.right - 6, m.bottom - 6) == background;
        });
        Shot(L"system-menu");
        menutest::Key(VK_ESCAPE);
        menutest::WaitForMenuClosed(launcher.Id());
    } else {
        wprintf(L"  system-menu: FAILED (no menu opened)\n");
    }

    wprintf(L"the hall button shows the hall over the page\n");
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    WaitFor([&] { return ForeignChildren(wnd).size() >= 2; }, 30s);
    WaitFor([&] { return LauncherOnScreen(wnd); }, 20s);
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
