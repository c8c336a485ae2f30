// The login page over the login artwork, against a stand-in launcher window and
// the local portal's login page: the colour key on screen, the loadgame claim
// and its answers, and the commands that are ignored without a claim.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "browser/plain/plain_web_view.h"
#include "browser_test_support.h"
#include "common/page_token.h"
#include "common/portal.h"
#include "framework/gdi_handles.h"
#include "gamepage/game_page_process.h"
#include "gamepage/login_bk_dlg.h"
#include "gamepage/login_dlg.h"
#include "process/process.h"
#include "skin/gdi.h"
#include "skin_test_support.h"
#include "login_test_support.h"

using namespace webtest;

namespace {

// The launcher's side of the label claim: records each label and answers as told.
struct StandInLauncher {
    StandInLauncher() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnLoginTestLauncher";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"QuenraOrvane", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                               nullptr, nullptr, wc.hInstance, nullptr);
        s_self = this;
        ovn::LauncherWnd = hwnd;
        ovn::PagesBefore = 0;
        ovn::PageSecret = kToken;
    }
    ~StandInLauncher() {
        DestroyWindow(hwnd);
        ovn::PageSecret = 0;
        s_self = nullptr;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_COPYDATA && s_self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
            // The claim carries the page's token before the label.
            const std::wstring claim(static_cast<const wchar_t*>(data->lpData), data->cbData / 2 - 1);
            s_self->labels.push_back(ovn::LabelOfClaim(claim, kToken).value_or(L"<no token: " + claim + L">"));
            s_self->bytesIncludeZero = static_cast<const wchar_t*>(data->lpData)[data->cbData / 2 - 1] == 0;
            return s_self->answer;
        }
        return DefWindowProcW(h, msg, w, l);
    }
    static constexpr ovn::PageToken kToken = 0x0123456789abcdefULL;
    static inline StandInLauncher* s_self = nullptr;
    HWND hwnd = nullptr;
    LRESULT answer = 1;
    bool bytesIncludeZero = false;
    std::vector<std::wstring> labels;
};

// Runs the login modally; once its page shows, step(page) is called from a
// timer inside the modal loop, again on every tick until it returns true.
class LoginRun {
public:
    explicit LoginRun(std::function<bool(ovn::CLoginDlg&)> step) : m_step(std::move(step)) {}
    INT_PTR Run(HWND launcher) {
        ovn::CLoginDlg page(ovn::portal::LoginPageUrl());
        ovn::CLoginBkDlg background(launcher, page);
        s_run = this;
        m_page = &page;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
            LoginRun* self = s_run;
            if (self && !self->m_done && self->m_page->hwnd() && IsWindowVisible(self->m_page->hwnd()))
                self->m_done = self->m_step(*self->m_page);
        });
        const INT_PTR result = background.DoModal();
        KillTimer(nullptr, timer);
        s_run = nullptr;
        return result;
    }

private:
    static inline LoginRun* s_run = nullptr;
    std::function<bool(ovn::CLoginDlg&)> m_step;
    ovn::CLoginDlg* m_page = nullptr;
    bool m_done = false;
};

// Presses "确定" in the visible skinned message box showing text, if there is one.
bool AnswerBox(const std::wstring& text) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(h))
            continue;
        bool hasText = false;
        HWND ok = nullptr;
        for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t t[128] = {};
            GetWindowTextW(c, t, 128);
            hasText |= text == t;
            if (std::wstring(t) == L"确定")
                ok = c;
        }
        if (hasText && ok) {
            PostMessageW(ok, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

class LoginDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EnsurePortalAddress().empty());
        ASSERT_TRUE(ole.ok());
        ASSERT_TRUE(gdiplus.ok());
        ovn::gamepage::State().StartUrl = ovn::portal::HallPageUrl();
    }
    OleScope ole;
    fw::gdi::GdiplusSession gdiplus;
    StandInLauncher launcher;
};

TEST_F(LoginDlgTest, AnAcceptedChoiceClaimsItsRecordAndOpensTheGame) {
    LoginRun run([](ovn::CLoginDlg& page) {
        page.Navigate(L"app://loadgame|S3服-《x》abcd-alice|http://127.0.0.1/game/ovn.htm?srv=3");
        return true;
    });
    EXPECT_EQ(run.Run(launcher.hwnd), 1);
    ASSERT_EQ(launcher.labels.size(), 1u);
    EXPECT_EQ(launcher.labels[0], L"3服-abcd-alice");
    EXPECT_TRUE(launcher.bytesIncludeZero) << "the record is sent with its terminating zero";
    EXPECT_EQ(ovn::gamepage::State().StartUrl, L"http://127.0.0.1/game/ovn.htm?srv=3");
    EXPECT_TRUE(IsWindowEnabled(launcher.hwnd));
}

TEST_F(LoginDlgTest, ARefusedChoiceShowsTheMessageAndLeaves) {
    launcher.answer = 0;
    bool navigated = false;
    LoginRun run([&](ovn::CLoginDlg& page) {
        if (!navigated) {
            navigated = true;
            page.Navigate(L"app://loadgame|S3服-《x》abcd-alice|http://127.0.0.1/game/ovn.htm?srv=3");
            return false;
        }
        return AnswerBox(L"账号 alice 已在 3服 登录，同一账号不能在一服重复登录");
    });
    EXPECT_EQ(run.Run(launcher.hwnd), 2);
    EXPECT_EQ(launcher.labels.size(), 1u);
    EXPECT_EQ(ovn::gamepage::State().StartUrl, ovn::portal::HallPageUrl());
}

// Account texts that name no real account (over-long, no server, bad escapes)
// and unknown command words send no claim; the exitgame behind them leaves.
TEST_F(LoginDlgTest, CommandsThatNameNoAccountSendNoClaim) {
    LoginRun run([](ovn::CLoginDlg& page) {
        page.Navigate(L"app://loadgame|S3服-x-" + std::wstring(300, L'a') + L"|http://127.0.0.1/game");
        page.Navigate(L"app://loadgame|nobody|http://127.0.0.1/game");
        page.Navigate(L"app://loadgame|S3%E6%9C|http://127.0.0.1/game");
        page.Navigate(L"app://loadgamx|S3服-x-alice|http://127.0.0.1/game");
        page.Navigate(L"app://exitgame");
        return true;
    });
    EXPECT_EQ(run.Run(launcher.hwnd), 2);
    EXPECT_TRUE(launcher.labels.empty());
    EXPECT_EQ(ovn::gamepage::State().StartUrl, ovn::portal::HallPageUrl());
}

// The page's background colour is see-through: the artwork shows there; the
// page's panel is drawn in its own colour.
TEST_F(LoginDlgTest, ThePageBackgroundLetsTheArtworkThrough) {
    COLORREF atBody = 0, atPanel = 0, key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    RECT panel{};
    POINT bodyPoint{};
    LoginRun run([&](ovn::CLoginDlg& page) {
        auto* plain = dynamic_cast<ovn::browser::PlainWebView*>(page.View());
        if (!plain || !plain->PicturesSettled())
            return false;
        EXPECT_TRUE(GetLayeredWindowAttributes(page.hwnd(), &key, &alpha, &flags));
        const int index = plain->ElementById(L"panel");
        EXPECT_TRUE(index >= 0 && plain->ElementRect(index, panel));
        UpdateWindow(plain->WindowHandle());
        const RECT r = [&] {
            RECT w{};
            GetWindowRect(page.hwnd(), &w);
            return w;
        }();
        bodyPoint = POINT{300, r.bottom - r.top - 40};  // open artwork, clear of the page's boxes
        fw::gdi::WindowDC screen(nullptr);
        atBody = GetPixel(screen.get(), r.left + bodyPoint.x, r.top + bodyPoint.y);
        atPanel = GetPixel(screen.get(), r.left + (panel.left + panel.right) / 2, r.top + panel.top + 2);
        PostMessageW(page.hwnd(), WM_NULL, 0, 0);
        page.Navigate(L"app://exitgame");
        return true;
    });
    EXPECT_EQ(run.Run(launcher.hwnd), 2);
    EXPECT_EQ(key, RGB(254, 254, 254));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_EQ(atPanel, RGB(0x10, 0x26, 0x3A));
    const logintest::Argb art = logintest::ArtworkPixel(bodyPoint.x, bodyPoint.y);
    ASSERT_EQ(art.a, 255);
    EXPECT_EQ(atBody, RGB(art.r, art.g, art.b)) << "the page's background hides the artwork";
    EXPECT_GT(panel.bottom, 0);
}

}  // namespace

namespace {

// The external-login frame with its page inside, against the portal's stand-in
// provider: placement, the keys it ignores, and its close button.
TEST(QQLoginTest, ThePageFillsTheFrameFollowsItAndGoesWithItsCloseButton) {
    ASSERT_FALSE(EnsurePortalAddress().empty());
    OleScope ole;
    fw::gdi::GdiplusSession gdiplus;
    HWND owner = MakeHostWindow();
    ovn::CQQLogin login;
    login.m_html.m_strAddress = L"http://" + EnsurePortalAddress() + L"/weibo/redirectToAuthorize.do?cid=4224";
    ASSERT_TRUE(login.CreateModeless(owner));
    login.SetCaptionText(L"新浪微博账号安全登录");
    ShowWindow(login.hwnd(), SW_SHOW);
    SetWindowPos(login.hwnd(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND page = login.m_html.hwnd();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(page) && login.m_html.View() &&
                                       login.m_html.View()->Url().find(L"/weibo/oauth2/authorize") != std::wstring::npos; },
                          10000))
        << "the provider's page did not open";

    RECT frame{}, inside{};
    GetWindowRect(login.hwnd(), &frame);
    GetWindowRect(page, &inside);
    EXPECT_EQ(frame.right - frame.left, 740);
    EXPECT_EQ(frame.bottom - frame.top, 480);
    EXPECT_EQ(inside.left, 34);
    EXPECT_EQ(inside.top, 70);
    EXPECT_EQ(inside.right - inside.left, 732);
    EXPECT_EQ(inside.bottom - inside.top, 446);
    EXPECT_EQ(GetWindow(page, GW_OWNER), login.hwnd());

    // Enter and Escape close neither window, typed into the page or the frame.
    for (HWND target : {login.m_html.View()->WindowHandle(), login.hwnd()})
        for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
            MSG msg{target, WM_KEYDOWN, key, 0x00010001, 0, {}};
            EXPECT_TRUE(fw::App::PreTranslate(msg)) << key;
        }
    PumpIdle();
    EXPECT_TRUE(IsWindowVisible(login.hwnd()));
    EXPECT_TRUE(IsWindowVisible(page));

    // The close button takes both windows away; the object stays.
    PostMessageW(login.hwnd(), WM_COMMAND, MAKEWPARAM(ovn::skin::kIdSysClose, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(page) && !login.hwnd(); }, 5000));
    DestroyWindow(owner);
}

}  // namespace

namespace {

// Windows of another program with the classes of a script dialog and a message
// box, topmost, so that a search of the whole desktop by class meets them first.
class ForeignWindows {
public:
    ForeignWindows() {
        ready = CreateEventW(nullptr, TRUE, FALSE, L"OvnForeignWindowsReady");
        stop = CreateEventW(nullptr, TRUE, FALSE, L"OvnForeignWindowsStop");
        ResetEvent(ready);
        ResetEvent(stop);
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring exe(self);
        exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"ovn_foreign_windows.exe";
        std::wstring line = L"\"" + exe + L"\" \"Internet Explorer_TridentDlgFrame\" #32770";
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            process = pi.hProcess;
            CloseHandle(pi.hThread);
            pid = pi.dwProcessId;
        }
        if (process && WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0)
            EnumWindows(
                [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                    auto* self = reinterpret_cast<ForeignWindows*>(lp);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(h, &owner);
                    wchar_t title[16] = {};
                    GetWindowTextW(h, title, 16);
                    if (owner == self->pid && std::wstring(title) == L"foreign")
                        self->windows.push_back(h);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(this));
    }
    ~ForeignWindows() {
        SetEvent(stop);
        if (process) {
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
        CloseHandle(ready);
        CloseHandle(stop);
    }
    bool AllThere() const {
        for (HWND h : windows)
            if (!IsWindow(h))
                return false;
        return windows.size() == 2;
    }
    HANDLE ready = nullptr, stop = nullptr, process = nullptr;
    DWORD pid = 0;
    std::vector<HWND> windows;
};

// While the page exists, a dialog a page script of this process opened is
// closed, and another program's dialogs are left alone; once the portal's
// callback has set its login cookie, frame and page hide and a message box the
// closing page raises is removed.
TEST(QQLoginTest, ScriptDialogsCloseAndTheLoginCookieHidesBoth) {
    ForeignWindows foreign;
    ASSERT_TRUE(foreign.AllThere()) << "the other program's windows did not show";
    const std::wstring portal = L"http://" + EnsurePortalAddress();
    ASSERT_NE(portal, L"http://");
    OleScope ole;
    fw::gdi::GdiplusSession gdiplus;
    HWND owner = MakeHostWindow();
    ovn::CQQLogin login;
    login.m_html.m_strAddress = portal + L"/qzone/redirectToAuthorize.do?cid=4224";
    ASSERT_TRUE(login.CreateModeless(owner));
    ShowWindow(login.hwnd(), SW_SHOW);
    HWND page = login.m_html.hwnd();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(page) && login.m_html.View() &&
                                       login.m_html.View()->Url().find(L"/oauth2.0/authorize") != std::wstring::npos; },
                          10000));

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Internet Explorer_TridentDlgFrame";
    RegisterClassW(&wc);
    HWND scriptDialog = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                        nullptr, wc.hInstance, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(scriptDialog); }, 5000)) << "the script's dialog stayed";
    // Our own dialog was closed after the other program's, which lie above it:
    // those were seen and left.
    EXPECT_TRUE(foreign.AllThere()) << "another program's dialog was closed";

    // A callback without the cookie leaves both open.
    login.m_html.Navigate(portal + L"/qzone/callback.do?code=nocookie&state=s");
    ASSERT_TRUE(PumpUntil([&] { return login.m_html.View()->Url().find(L"code=nocookie") != std::wstring::npos; }, 10000));
    PumpIdle();
    EXPECT_TRUE(IsWindowVisible(login.hwnd()));
    EXPECT_TRUE(IsWindowVisible(page));

    login.m_html.Navigate(portal + L"/qzone/callback.do?code=ok-bob&state=s");
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(login.hwnd()) && !IsWindowVisible(page); }, 10000));
    EXPECT_TRUE(IsWindow(page)) << "hidden, not destroyed";
    HWND box = CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, page, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000)) << "the closing page's box stayed";
    EXPECT_TRUE(foreign.AllThere()) << "another program's box was removed";
    DestroyWindow(owner);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
