// The demo's scripted tour on a screen nobody watches: starts the launcher
// against the local portal, walks through its states and saves a screenshot of
// each in OVN_TOUR_OUT: the login, the launcher with its first page, the system
// menu, the hall, the notice and another game's download. Every picture is
// taken once what it shows is on the screen (read back from the screen, never
// after a guessed time); a picture that could not be taken makes the tour end
// with a non-zero exit code, naming it. With OVN_TOUR_FIRST_ONLY set (the tour
// at a second display scale) it pictures the login and the launcher only.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/protocol.h"
#include "res/resource.h"
#include "skin/dlg_ex.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/login.h"
#include "tests/win/open_menu.h"

using namespace e2e;

namespace {

std::wstring g_out;
constexpr COLORREF kLoginPanelColour = RGB(0x10, 0x26, 0x3A);  // the login page's panel, under its buttons
std::vector<std::wstring> g_missing;

// Saves the picture when what it shows is there; otherwise says why not and
// counts it as missing.
void Shot(const wchar_t* name, bool ready, const wchar_t* why, HWND hwnd = nullptr) {
    const std::wstring path = g_out + L"\\" + name + L".png";
    if (ready && SaveScreenshot(path, hwnd)) {
        wprintf(L"  %ls: saved\n", name);
        return;
    }
    wprintf(L"  %ls: NOT TAKEN (%ls)\n", name, ready ? L"the screenshot could not be saved" : why);
    g_missing.push_back(name);
}

// Makes a window paint everything now and waits until its thread has done so.
void Painted(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

bool Drawn(COLORREF colour) { return colour != RGB(0, 0, 0) && colour != CLR_INVALID; }

// The launcher has filled the work area and what it paints itself, its caption
// band and the caption's buttons, is on the screen: what a picture of it must
// show. The first page's adoption makes it fill the screen; until it has painted
// at that size, the screen there is still the black of the empty display. The
// buttons at the caption's end are painted last, after the tray icon is added.
// The page area is not looked at: under Wine the adopted page, a child window of
// another process, is not drawn, and the screen there is black in some runs.
bool LauncherOnScreen(HWND wnd) {
    RECT work{}, r = WindowRect(wnd);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!EqualRect(&work, &r) || !IsWindowVisible(wnd))
        return false;
    Painted(wnd);
    // Two rows of the caption band, the lower one under the tabs, where a page
    // window not yet in its place shows black.
    for (int band : {r.top + 15, r.top + 26})
        if (!Drawn(ScreenPixel((r.left + r.right) / 2, band)) || !Drawn(ScreenPixel(r.left + 200, band)))
            return false;
    for (UINT id : {ovn::skin::kIdSysMinimize, ovn::skin::kIdSysMaximize, ovn::skin::kIdSysClose}) {
        const RECT b = WindowRect(GetDlgItem(wnd, static_cast<int>(id)));
        if (IsRectEmpty(&b) || !Drawn(ScreenPixel((b.left + b.right) / 2, (b.top + b.bottom) / 2)))
            return false;
    }
    return true;
}

// Why LauncherOnScreen does not hold, for the tour's message.
std::wstring LauncherState(HWND wnd) {
    RECT work{}, r = WindowRect(wnd);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    DWORD_PTR ignored = 0;
    const bool answers = SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored) != 0;
    wchar_t text[200];
    swprintf(text, 200, L"at %ld,%ld-%ld,%ld on a work area of %ld,%ld-%ld,%ld, %ls, %ls", r.left, r.top, r.right,
             r.bottom, work.left, work.top, work.right, work.bottom, IsWindowVisible(wnd) ? L"visible" : L"hidden",
             answers ? L"answering" : L"not answering within 2 s");
    return text;
}

// The innermost window of a page frame: the view its page is drawn in.
HWND ViewOf(HWND frame) {
    HWND view = frame;
    while (HWND child = GetWindow(view, GW_CHILD))
        view = child;
    return view;
}

// The picture of another game's download part-way: the hall's link for it
// clicked, the question answered, and the dialog seen with its bar between a
// third and nine tenths. The portal sends the installer in slow steps meanwhile;
// the download is cancelled after the picture.
void DownloadShot(HWND wnd, HWND page) {
    HWND hall = nullptr;
    for (HWND h : HeldPages(wnd))
        if (h != page)
            hall = h;
    if (!hall) {
        Shot(L"download", false, L"no hall");
        return;
    }
    DWORD hallPid = 0;
    GetWindowThreadProcessId(hall, &hallPid);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(RecorderPath().c_str(), GetFileExInfoStandard, &data);
    const std::wstring installer = L"/download/game/Skyrealm.exe";
    HttpGet(L"/__misbehave?path=" + installer + L"&mode=slow&chunk=" + std::to_wstring(data.nFileSizeLow / 20 + 1));

    const std::wstring hallUrl = L"http://" + Environment::Get().portal + L"/webgame.htm";
    HWND box = nullptr, dialog = nullptr, bar = nullptr;
    // The hall's page may still be loading when first seen: clicked until it has the link.
    if (WaitFor([&] { return ClickLink(ViewOf(hall), hallUrl, L"entergame|skyrealm", 0); }, 30s))
        box = WaitForBox(hallPid, L"下载Quenra登录器，玩游戏更加方便快捷，现在就去下载吧？", 20s);
    if (box && PressBoxButton(box, L"确定"))
        dialog = WaitForWindow({.pid = hallPid, .title = L"游戏下载中...", .visibleOnly = true}, 20s);
    if (dialog)
        bar = GetDlgItem(dialog, IDC_DOWNGAME_BAR);
    const bool partWay = bar && WaitFor([&] {
        const LRESULT at = SendMessageW(bar, PBM_GETPOS, 0, 0);
        if (at <= 30 || at >= 90)
            return false;
        Painted(dialog);
        return SteadyPicture(dialog, 2s).size() > 0;
    }, 60s);
    Shot(L"download", partWay,
         !box ? L"the hall did not ask to download" : !dialog ? L"no download dialog" : L"the bar was never seen part-way",
         dialog);
    if (dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitFor([&] { return !IsWindow(dialog); });
    }
    HttpGet(L"/__misbehave?path=" + installer + L"&mode=off");
}

// The notice, the system menu, the hall and another game's download.
void TourTheRest(Process& launcher, HWND wnd, HWND page) {
    wprintf(L"the portal's notice comes up at the bottom-right five seconds after the first page\n");
    HWND notice = nullptr;
    const bool noticeShown = WaitFor([&] {
        if (!notice)
            for (HWND h : FindWindows({.pid = launcher.Id(), .className = L"#32770", .visibleOnly = true}))
                if (GetDlgItem(h, IDC_POP_TEXT))
                    notice = h;
        if (!notice)
            return false;
        Painted(notice);
        return !SteadyPicture(notice, 2s).empty();
    }, 60s);
    const std::wstring noticeWhy = L"no notice came up; the launcher is " + LauncherState(wnd);
    Shot(L"notice", noticeShown, notice ? L"the notice was not drawn" : noticeWhy.c_str(), notice);
    // It stays about eleven seconds; the pictures after it are taken without it.
    if (notice && !WaitFor([&] { return !IsWindowVisible(notice); }, 30s))
        wprintf(L"  (the notice did not go away)\n");

    wprintf(L"the system menu opens under its button in the title strip\n");
    menutest::OpenMenu menu{};
    if (ClickWindow(GetDlgItem(wnd, IDC_BTN_MENU)))
        menu = menutest::WaitForOpenMenu(launcher.Id());
    bool menuShown = false;
    if (menu.window) {
        // On screen once its background shows at both ends (the launcher under
        // it is dark, the menu light).
        const RECT m = WindowRect(menu.window);
        const COLORREF background = GetSysColor(COLOR_MENU);
        menuShown = WaitFor([&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(menu.window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
            return ScreenPixel(m.right - 6, m.top + 6) == background &&
                   ScreenPixel(m.right - 6, m.bottom - 6) == background;
        }, 20s);
    }
    Shot(L"system-menu", menuShown, menu.window ? L"the menu was not drawn" : L"no menu opened");
    if (menu.window) {
        menutest::Key(VK_ESCAPE);
        menutest::WaitForMenuClosed(launcher.Id());
    }

    wprintf(L"the hall button shows the hall over the page\n");
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    const bool hall = WaitFor([&] { return HeldPages(wnd).size() >= 2; }, 60s);
    Shot(L"launcher-hall", hall && WaitFor([&] { return LauncherOnScreen(wnd) && PageAreaShows(wnd, kHallColour); }, 30s),
         hall ? L"the launcher did not paint with the hall" : L"no hall was adopted");

    wprintf(L"the hall's link to another game downloads its launcher\n");
    DownloadShot(wnd, page);
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
    const LoginWindows login = WaitForLogin(wnd, 60s);
    if (!login.page) {
        wprintf(L"the login page did not appear\n");
        return 1;
    }
    // The artwork is on screen once its middle, seen through the page, is, and
    // the page over it has been drawn with its pictures: each fetched from the
    // portal, and the start button's over the panel it sits on (the pictures
    // come after the page, and the page is steady without them a while).
    const RECT art = WindowRect(login.background);
    RECT client{};
    GetClientRect(login.page, &client);
    const auto start = LinkBoxOnPage(LoginPageUrl(), L"app://pressbtn", client.right, client.bottom,
                                     kLoginPageHostFlags);
    auto picturesFetched = [] {
        int fetched = 0;
        for (const std::string& line : PortalRequests())
            for (const char* picture : {"/img/button.png", "/img/minimize.png", "/img/close.png"})
                fetched += line.find(std::string("GET /ovn/client") + picture) != std::string::npos;
        return fetched >= 3;
    };
    // At 150 % the login is wider than the 1280-pixel test display: a picture
    // of part of it would show nothing true, so none is taken.
    const bool loginFits = art.left >= 0 && art.top >= 0 && art.right <= GetSystemMetrics(SM_CXSCREEN) &&
                           art.bottom <= GetSystemMetrics(SM_CYSCREEN);
    const bool loginShown = loginFits && start && WaitFor([&] {
        Painted(login.page);
        POINT button{(start->left + start->right) / 2, (start->top + start->bottom) / 2};
        ClientToScreen(login.page, &button);
        return picturesFetched() && ScreenPixel(button.x, button.y) != kLoginPanelColour &&
               Drawn(ScreenPixel((art.left + art.right) / 2, (art.top + art.bottom) / 2)) &&
               !SteadyPicture(login.page, 2s).empty();
    }, 30s);
    if (loginFits)
        Shot(L"login", loginShown, L"the login was not drawn");
    else
        wprintf(L"  login: not taken (larger than this screen at this scale)\n");

    wprintf(L"a server and an account are picked; the game page is adopted\n");
    if (!ClickLink(login.page, LoginPageUrl(), L"S3服", kLoginPageHostFlags)) {
        wprintf(L"the server link could not be clicked\n");
        return 1;
    }
    HWND page = nullptr;
    WaitFor([&] {
        const auto kids = HeldPages(wnd);
        page = kids.empty() ? nullptr : kids.front();
        return page != nullptr;
    }, 60s);
    const bool launcherShown =
        page && WaitFor([&] { return LauncherOnScreen(wnd) && PageAreaShows(wnd, kWorld3Colour); }, 30s);
    const std::wstring launcherWhy = L"the launcher did not paint over the screen: " + LauncherState(wnd);
    Shot(L"launcher", launcherShown, page ? launcherWhy.c_str() : L"no page was adopted");

    // At a second display scale only the login and the launcher are pictured.
    if (!_wgetenv(L"OVN_TOUR_FIRST_ONLY"))
        TourTheRest(launcher, wnd, page);

    wprintf(L"closing the launcher (it asks first: an account is in a game)\n");
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？", 20s))
        PressBoxButton(box, L"是");
    const DWORD code = launcher.Wait(30s);
    wprintf(L"launcher ended (exit code %lu)\n", code);
    if (!g_missing.empty()) {
        wprintf(L"pictures not taken:");
        for (const auto& name : g_missing)
            wprintf(L" %ls", name.c_str());
        wprintf(L"\n");
        return 2;
    }
    return code == 0 ? 0 : 1;
}
