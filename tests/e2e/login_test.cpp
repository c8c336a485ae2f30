// The player's first journey, with real processes only: the launcher starts,
// its first page process shows the login artwork with the portal's login page
// over it, the player picks a server and account with the mouse, and the game
// opens as a tab; later tabs are refused for an account already in a game on
// that server, leave, minimise; and the QQ / Weibo logins open their windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/protocol.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/fake_page.h"
#include "tests/e2e/driver/login.h"

using namespace e2e;

namespace {

int CountRequests(const std::string& what) {
    auto log = PortalRequests();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; }));
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class LoginE2e : public ::testing::Test {
protected:
    void SetUp() override { PortalRequests(true); }
    void TearDown() override {
        EXPECT_EQ(EndLauncher(launcher, wnd, 15s), "");
    }

    void Start() {
        ASSERT_TRUE(launcher.Start(L"/OvnD")) << "error " << launcher.StartError();
        wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 20s);
        ASSERT_NE(wnd, nullptr);
    }
    LoginWindows OpenAnotherTab(DWORD* pid) { return e2e::OpenAnotherTab(wnd, pid); }
    // The launcher's adopted, visible page frames.
    size_t FramesShownOrHeld() { return HeldPages(wnd).size(); }
    bool ProcessEnds(DWORD pid) {
        fw::Handle h(OpenProcess(SYNCHRONIZE, FALSE, pid));
        return !h || WaitForSingleObject(h.get(), 15000) == WAIT_OBJECT_0;
    }

    Process launcher;
    HWND wnd = nullptr;
};

TEST_F(LoginE2e, AccountsLogInAsTabsOncePerServer) {
    Start();
    const LoginWindows first = WaitForLogin(wnd);
    ASSERT_NE(first.page, nullptr) << "no login page over the artwork";

    // The artwork, whole and centred in the work area; the page exactly over it.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT art = WindowRect(first.background);
    EXPECT_EQ(art.right - art.left, 888);
    EXPECT_EQ(art.bottom - art.top, 518);
    EXPECT_EQ(art.left - work.left, work.right - art.right);
    EXPECT_LE(std::abs((art.top - work.top) - (work.bottom - art.bottom)), 1);
    EXPECT_TRUE(SameRect(WindowRect(first.page), art));
    const DWORD firstPid = WindowProcessId(first.page);

    // Dragging the artwork by a plain point of the page takes the page along.
    // The page follows the artwork just after it moved: both are read until
    // the artwork has arrived and the page is over it.
    DragBy(art.left + 120, art.top + 460, 36, 24);
    RECT dragged{};
    EXPECT_TRUE(WaitFor([&] {
        dragged = WindowRect(first.background);
        return dragged.left == art.left + 36 && dragged.top == art.top + 24 &&
               SameRect(WindowRect(first.page), dragged);
    })) << "artwork at " << dragged.left << "," << dragged.top << ", page at " << WindowRect(first.page).left << ","
        << WindowRect(first.page).top;

    // Escape, F5 and Enter do nothing: typed into the page, then a server is
    // picked; once that has an effect, the keys before it were handled.
    const auto srv3 = LinkBoxOnPage(LoginPageUrl(), L"S3服", 888, 518, kLoginPageHostFlags);
    ASSERT_TRUE(srv3);
    SetForegroundWindow(first.page);
    const int pageFetches = CountRequests("/ovn/client/index.html");
    SendKey(VK_ESCAPE);
    SendKey(VK_F5);
    SendKey(VK_RETURN);
    ASSERT_TRUE(ClickBox(first.page, *srv3));

    // The game opens in a tab of the launcher: its frame adopted and shown, the
    // game page fetched from the portal with the chosen server and account.
    EXPECT_TRUE(WaitFor([&] {
        auto kids = HeldPages(wnd);
        return kids.size() == 1 && IsWindowVisible(kids.front()) && WindowProcessId(kids.front()) == firstPid;
    }, 20s)) << "the game page was not adopted";
    EXPECT_TRUE(WaitFor([] { return CountRequests("/game/ovn.htm?srv=3&acc=alice") >= 1; }));
    EXPECT_EQ(CountRequests("/ovn/client/index.html"), pageFetches) << "F5 reloaded the login page";
    EXPECT_FALSE(IsWindow(first.background)) << "the login ended with the choice";

    // Same account, same server, in a second tab: refused with the message,
    // and that tab's process ends.
    DWORD second = 0;
    LoginWindows login = OpenAnotherTab(&second);
    ASSERT_NE(login.page, nullptr);
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"S3服", kLoginPageHostFlags));
    HWND box = WaitForBox(second, L"账号 alice 已在 3服 登录，同一账号不能在一服重复登录", 15s);
    ASSERT_NE(box, nullptr) << "no refusal message";
    EXPECT_TRUE(PressBoxButton(box, L"确定"));
    EXPECT_TRUE(ProcessEnds(second));
    EXPECT_EQ(FramesShownOrHeld(), 1u);

    // A different server (the account text percent-escaped in the page) is accepted,
    // even after another process tried to take that page's label first.
    login = OpenAnotherTab(&second);
    ASSERT_NE(login.page, nullptr);
    EXPECT_EQ(FakePage::Claim(wnd, L"5服-新区五-张三"), 0) << "a stranger's claim was taken";
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"|S5%E6", kLoginPageHostFlags));
    EXPECT_TRUE(WaitFor([&] { return FramesShownOrHeld() == 2; }, 20s));
    EXPECT_TRUE(WaitFor([] { return CountRequests("/game/ovn.htm?srv=5&acc=zhangsan") >= 1; }));

    // In a later tab, exitgame leaves and minimize closes the tab too.
    for (const wchar_t* leave : {L"exitgame", L"minimize"}) {
        login = OpenAnotherTab(&second);
        ASSERT_NE(login.page, nullptr);
        ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), (std::wstring(L"app://") + leave).c_str(), kLoginPageHostFlags));
        EXPECT_TRUE(ProcessEnds(second)) << leave;
        EXPECT_FALSE(IsIconic(wnd)) << leave;
        EXPECT_EQ(FramesShownOrHeld(), 2u) << leave;
    }

    // A third server: three tabs.
    login = OpenAnotherTab(&second);
    ASSERT_NE(login.page, nullptr);
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"S4服", kLoginPageHostFlags));
    EXPECT_TRUE(WaitFor([&] { return FramesShownOrHeld() == 3; }, 20s));
}

// A later tab's page process that dies at its login (killed here, as a crash
// would end it) gives the launcher back: the launcher runs in its own modal
// loop, and the page's login had disabled it.
TEST_F(LoginE2e, ALaterTabDyingAtItsLoginGivesTheLauncherBack) {
    Start();
    ASSERT_NE(LogInFirstPage(wnd), nullptr);
    DWORD second = 0;
    const LoginWindows login = OpenAnotherTab(&second);
    ASSERT_NE(login.page, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(wnd); })) << "the second login does not hold the launcher";
    {
        fw::Handle page(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, second));
        ASSERT_TRUE(page);
        ASSERT_TRUE(TerminateProcess(page.get(), 9));
    }
    ASSERT_TRUE(ProcessEnds(second));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(wnd) != FALSE; }, 15s)) << "the launcher stayed disabled";

    // The player's close request is asked about; "否" keeps the launcher.
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？");
    ASSERT_NE(box, nullptr) << "the close request was not asked about";
    EXPECT_TRUE(PressBoxButton(box, L"否"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(launcher.Running());
    EXPECT_EQ(FramesShownOrHeld(), 1u);
}

// In the first tab's login, minimize minimises (the launcher, with the login
// it owns; where user-account control is on, the artwork alone).
TEST_F(LoginE2e, MinimizeInTheFirstLoginMinimises) {
    Start();
    const LoginWindows login = WaitForLogin(wnd);
    ASSERT_NE(login.page, nullptr);
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"app://minimize", kLoginPageHostFlags));
    EXPECT_TRUE(WaitFor([&] { return IsIconic(wnd) || IsIconic(login.background); }));
    EXPECT_TRUE(IsWindow(login.page)) << "minimising is not leaving";
}

// The QQ link opens the external-login window; it hides once the stand-in
// provider has had the portal set its login cookie, and stays when the portal
// did not; a Weibo login after it replaces the window.
TEST_F(LoginE2e, ExternalLoginWindowsOpenHideAndReplaceEachOther) {
    Start();
    const LoginWindows login = WaitForLogin(wnd);
    ASSERT_NE(login.page, nullptr);
    const DWORD pid = WindowProcessId(login.page);
    const std::wstring portal = L"http://" + Environment::Get().portal;

    // The window with its caption, and the provider's page inside it.
    const auto external = [&](const wchar_t* caption) {
        return WaitForWindow({.pid = pid, .title = caption, .visibleOnly = true}, 20s);
    };
    const auto pageIn = [&](HWND frame) {
        HWND page = nullptr;
        WaitFor([&] {
            for (HWND h : FindWindows({.pid = pid, .visibleOnly = true}))
                if (GetWindow(h, GW_OWNER) == frame)
                    page = h;
            return page != nullptr;
        });
        return page;
    };
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"/qzone/redirectToAuthorize.do", kLoginPageHostFlags));
    HWND qq = external(L"QQ账号安全登录");
    ASSERT_NE(qq, nullptr) << "no QQ login window";
    const RECT frame = WindowRect(qq);
    EXPECT_EQ(frame.right - frame.left, 740);
    EXPECT_EQ(frame.bottom - frame.top, 480);
    HWND qqPage = pageIn(qq);
    ASSERT_NE(qqPage, nullptr);
    const RECT inside = WindowRect(qqPage);
    EXPECT_EQ(inside.left, frame.left + 4);
    EXPECT_EQ(inside.top, frame.top + 30);
    EXPECT_TRUE(WaitFor([] { return CountRequests("/oauth2.0/authorize") >= 1; }));

    // The provider lets the player in: the callback sets the cookie, the window goes.
    // The link is clicked once the provider's page is drawn: a request made is not
    // yet a page laid out, and a click before that lands on nothing.
    const std::wstring qqProvider = portal + L"/oauth2.0/authorize?state=s4224";
    ASSERT_FALSE(SteadyPicture(qqPage).empty()) << "the provider's page was not drawn";
    ASSERT_TRUE(ClickLink(qqPage, qqProvider, L"code=ok-alice", kExternalPageHostFlags));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(qq); }, 15s)) << "the QQ window stayed after the login";
    EXPECT_GE(CountRequests("/qzone/callback.do?code=ok-alice"), 1);

    // Weibo replaces it; a callback without the cookie leaves the window open.
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"/weibo/redirectToAuthorize.do", kLoginPageHostFlags));
    HWND weibo = external(L"新浪微博账号安全登录");
    ASSERT_NE(weibo, nullptr) << "no Weibo login window";
    EXPECT_FALSE(IsWindow(qq)) << "the QQ window was not replaced";
    HWND weiboPage = pageIn(weibo);
    ASSERT_NE(weiboPage, nullptr);
    EXPECT_TRUE(WaitFor([] { return CountRequests("/weibo/oauth2/authorize") >= 1; }));
    const std::wstring weiboProvider = portal + L"/weibo/oauth2/authorize?state=s4224";
    const std::vector<std::uint32_t> providerPage = SteadyPicture(weiboPage);
    ASSERT_FALSE(providerPage.empty()) << "the provider's page was not drawn";
    ASSERT_TRUE(ClickLink(weiboPage, weiboProvider, L"code=nocookie", kExternalPageHostFlags));
    EXPECT_TRUE(WaitFor([] { return CountRequests("/weibo/callback.do?state") >= 1; }));
    // Once the callback's page is drawn, its completion has been handled (the
    // windows hide in that handler, before the page paints).
    EXPECT_TRUE(WaitFor([&] { return ScreenPixels(weiboPage) != providerPage; }, 15s));
    EXPECT_TRUE(IsWindowVisible(weibo));
    EXPECT_TRUE(IsWindowVisible(weiboPage));
}

}  // namespace
