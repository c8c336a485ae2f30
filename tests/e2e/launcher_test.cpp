// The launcher process as a whole, with its real page processes: the first one
// it adopts, what it shows, how it ends; and, with this test as a hostile
// stranger, everything it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "common/protocol.h"
#include "res/resource.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/fake_page.h"
#include "tests/e2e/driver/login.h"
#include "tests/e2e/life_support.h"
#include "tests/win/open_menu.h"

using namespace e2e;

namespace {

constexpr wchar_t kTitle[] = L"QuenraOrvane";
constexpr int kHallButton = IDC_BTN_HALL;

int CountRequests(const std::string& path) {
    auto log = PortalRequests();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(path) != std::string::npos; }));
}

class LauncherE2e : public ::testing::Test {
protected:
    void SetUp() override { PortalRequests(true); }
    void TearDown() override {
        HttpGet(L"/__misbehave?path=/webgame.htm&mode=off");
        // Once the launcher is gone, every page process it started ends by
        // itself; one that stays is a fault.
        EXPECT_EQ(EndLauncher(launcher, wnd), "");
    }

    void Start() {
        ASSERT_TRUE(launcher.Start(L"/OvnD")) << "error " << launcher.StartError();
        // Visible: its title is set while it still has the template's size, just
        // before it moves out of sight to 1 x 1 and is shown.
        wnd = WaitForWindow({.pid = launcher.Id(), .title = kTitle, .visibleOnly = true}, 20s);
        ASSERT_NE(wnd, nullptr) << "the launcher window did not appear";
    }
    // The first page process has logged in (a server picked in its login page
    // with the mouse) and its game page has been adopted and shown.
    HWND WaitForFirstFrame() { return LogInFirstPage(wnd); }
    // Clicks the hall button and waits for the hall to be shown or hidden (or,
    // given the page, for the page to be hidden under the hall or shown again).
    // The click is posted behind whatever was posted before, so once its effect
    // is seen the launcher has handled all of that too.
    bool ToggleHall(HWND hall, bool expectShown) {
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(kHallButton, BN_CLICKED), 0);
        return WaitFor([&] { return (IsWindowVisible(hall) != FALSE) == expectShown; });
    }
    // How many pages the launcher holds, read from outside: it will not be
    // made narrower than its tabs need.
    int PagesHeld() {
        SetWindowPos(wnd, nullptr, 0, 0, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r = WindowRect(wnd);
        const int width = r.right - r.left;
        return width <= 300 ? 0 : (width - 483) / 189;
    }

    // Clicks the "系统" button with the mouse and chooses the position-th item
    // (separators not counted) at the keyboard; true once the menu has closed.
    bool ChooseInSystemMenu(int position) {
        // The mouse comes to the button from elsewhere, as a player's does.
        const RECT client = WindowRect(wnd);
        menutest::ClickScreen({(client.left + client.right) / 2, (client.top + client.bottom) / 2}, false, false);
        if (!ClickWindow(GetDlgItem(wnd, IDC_BTN_MENU)) || !MenuTakesKeys())
            return false;
        menutest::ChooseWithKeys(position);
        const bool closed = menutest::WaitForMenuClosed(launcher.Id());
        EXPECT_TRUE(closed) << "the menu stayed open after its item was chosen";
        return closed;
    }
    // The launcher's menu is open and the keys typed now reach it: they go to
    // the foreground window's thread, and the launcher's bid to be in front can
    // land after its menu is up (a page of another process had the focus).
    bool MenuTakesKeys() {
        if (!menutest::WaitForOpenMenu(launcher.Id()).window) {
            ADD_FAILURE() << "the launcher's menu did not open";
            return false;
        }
        if (!WaitFor([&] { return WindowProcessId(GetForegroundWindow()) == launcher.Id(); })) {
            HWND front = GetForegroundWindow();
            ADD_FAILURE() << "the launcher did not come in front of its menu; in front: window "
                          << static_cast<void*>(front) << " of process " << WindowProcessId(front);
            return false;
        }
        return true;
    }
    // The same in the tray menu, opened by the icon's right-click message.
    bool ChooseInTrayMenu(int position) {
        PostMessageW(wnd, WM_USER + 1, 1, WM_RBUTTONUP);
        if (!MenuTakesKeys())
            return false;
        menutest::ChooseWithKeys(position);
        return menutest::WaitForMenuClosed(launcher.Id());
    }

    Process launcher;
    HWND wnd = nullptr;
};

TEST_F(LauncherE2e, AdoptsItsFirstProcessShowsItAndFillsTheWorkArea) {
    Start();
    HWND frame = WaitForFirstFrame();
    ASSERT_NE(frame, nullptr) << "no frame of another process was adopted and shown";
    EXPECT_TRUE(Holds(wnd, frame));
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = WindowRect(wnd);
        return rc.left == work.left && rc.top == work.top && rc.right == work.right && rc.bottom == work.bottom;
    }));
    // The first process fetched the game page it logged in to from the portal.
    EXPECT_TRUE(WaitFor([] { return CountRequests("/game/ovn.htm?srv=3") >= 1; }));
    // Once shown by the launcher it stays shown: the page process, going on with
    // its start, does not hide itself again.
    EXPECT_TRUE(IsWindowVisible(frame));
    SaveScreenshot(Environment::Get().stateDir + L"\\launcher.png");
}

// A hall hidden by the player while its page is still loading, and reloading
// itself twice after that, stays hidden: only the launcher shows it.
TEST_F(LauncherE2e, AHiddenHallStaysHiddenWhileItLoadsAndReloads) {
    Start();
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(HttpGet(L"/__misbehave?path=/webgame.htm&mode=slow%2Breload&chunk=50&times=2"), "ok");
    // The hall button starts the hall process; its frame is adopted and shown.
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(kHallButton, BN_CLICKED), 0);
    HWND hall = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : HeldPages(wnd))
            if (h != page)
                hall = h;
        return hall != nullptr && IsWindowVisible(hall);
    }, 20s));
    ASSERT_TRUE(ToggleHall(hall, false));
    ASSERT_LT(CountRequests("/webgame.htm"), 3) << "the slow page finished before the test could hide it";
    // The third fetch is made only after the first two pages completed.
    ASSERT_TRUE(WaitFor([] { return CountRequests("/webgame.htm") >= 3; }, 30s));
    EXPECT_FALSE(IsWindowVisible(hall));
    EXPECT_TRUE(Holds(wnd, hall));
    // The next click shows it again.
    EXPECT_TRUE(ToggleHall(hall, true));
}

TEST_F(LauncherE2e, StrangersAreNeitherAdoptedNorTouched) {
    Start();
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);

    // Windows of this process ask to be a page and the hall, as a page would
    // (inside the launcher, shown in its page area); the desktop window and
    // the launcher's own window are offered too; then two hundred more pages.
    FakePage asPage, asHall;
    asPage.Adopt(wnd);
    asHall.Adopt(wnd, true);
    PostMessageW(wnd, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
    PostMessageW(wnd, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(GetDesktopWindow()), 1);
    PostMessageW(wnd, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(wnd), 0);
    std::vector<std::unique_ptr<FakePage>> crowd;
    for (int i = 0; i < 200; ++i) {
        crowd.push_back(std::make_unique<FakePage>());
        crowd.back()->Adopt(wnd);
    }
    const auto inLauncher = [&](HWND h) {
        RECT r = WindowRect(h);
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT placed = inLauncher(asPage.hwnd());

    // Handled once the hall button's click behind them has been (the hall
    // shown hides the page).
    ASSERT_TRUE(ToggleHall(page, false));
    EXPECT_EQ(PagesHeld(), 1);
    ASSERT_TRUE(ToggleHall(page, true));
    // The launcher neither hid nor moved them when it showed its page again.
    EXPECT_TRUE(IsWindowVisible(asPage.hwnd()));
    EXPECT_TRUE(IsWindowVisible(asHall.hwnd()));
    const RECT now = inLauncher(asPage.hwnd());
    EXPECT_TRUE(EqualRect(&placed, &now));

    // Quitting (after its question) posts nothing to any of them.
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND question = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？");
    ASSERT_NE(question, nullptr);
    PressBoxButton(question, L"是");
    ASSERT_EQ(launcher.Wait(10s), 0u);
    WaitFor([] {
        MSG m;
        return !PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // everything it posted is in
    });
    EXPECT_TRUE(asPage.Log(true).empty());
    EXPECT_TRUE(asHall.Log(true).empty());
    for (const auto& stranger : crowd)
        EXPECT_TRUE(stranger->Log(true).empty());
    EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

TEST_F(LauncherE2e, ClaimsAndPageRequestsFromStrangersAreBounded) {
    // This launcher keeps its failure log where the test can read it.
    const std::wstring requestLog = Environment::Get().stateDir + L"\\requests-test.log";
    DeleteFileW(requestLog.c_str());
    {
        ScopedEnvironment log(L"OVN_LOG", requestLog);
        Start();
    }
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);
    const DWORD first = WindowProcessId(page);

    // No page is on its way: no label is taken, however many are offered.
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(FakePage::Claim(wnd, L"1服-天命-player" + std::to_wstring(i)), 0) << i;
    const wchar_t unterminated[] = {L'b', L'o', L'b'};
    EXPECT_EQ(FakePage::ClaimBytes(wnd, unterminated, sizeof(unterminated)), 0);
    EXPECT_EQ(FakePage::ClaimBytes(wnd, nullptr, 0), 0);

    // Requests for another account posted by another process (this test) start
    // nothing: neither a tab nor another launcher. The hall button's click behind
    // them (it hides the page) shows when all have been handled; the hall
    // process it starts is the one new process.
    for (int i = 0; i < 20; ++i)
        PostMessageW(wnd, ovn::kMsgOtherAccount, i % 2, 0);
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(kHallButton, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(page); }));
    DWORD hallPid = 0;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : HeldPages(wnd))
            if (h != page)
                hallPid = WindowProcessId(h);
        return hallPid != 0;
    }, 20s));
    std::set<DWORD> started;
    for (DWORD pid : ChildProcesses(launcher.Id()))
        if (pid != first && pid != hallPid)
            started.insert(pid);
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(launcher.Running());
}

TEST_F(LauncherE2e, KilledLauncherTakesEveryPageProcessWithIt) {
    Start();
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);
    // A second page process (at its login), asked for through the add-account prompt.
    ASSERT_TRUE(AnswerOtherAccountPrompt(wnd, true));
    std::set<DWORD> seen;
    std::vector<fw::Handle> pages;
    ASSERT_TRUE(WaitFor([&] {
        for (DWORD pid : ChildProcesses(launcher.Id()))
            if (seen.insert(pid).second)
                pages.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, pid));
        return pages.size() >= 2;
    }));

    ASSERT_TRUE(SettleChildren(launcher.Id()));
    auto t0 = std::chrono::steady_clock::now();
    launcher.Kill();
    bool allEnded = WaitFor(
        [&] {
            return std::all_of(pages.begin(), pages.end(),
                               [](const fw::Handle& h) { return WaitForSingleObject(h.get(), 0) == WAIT_OBJECT_0; });
        },
        10s);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(allEnded);
    // Reported, not asserted: timing on a shared machine is a benchmark's job.
    RecordProperty("page_exit_ms", static_cast<int>(ms));
    printf("page processes ended %lld ms after the launcher was killed\n", static_cast<long long>(ms));
}

// The menus with real page processes. The system menu is opened by a click on
// its button and worked at the keyboard, as the launcher has the focus then; the
// tray menu through the icon's callback message (Wine's desktop shows no icon).
TEST_F(LauncherE2e, RefreshFromTheMenuFetchesWhatIsShownAgain) {
    Start();
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitFor([] { return CountRequests("/game/ovn.htm?srv=3") >= 1; }));
    const int pageFetches = CountRequests("/game/ovn.htm?srv=3");
    ASSERT_TRUE(ChooseInSystemMenu(0));  // "刷新 (F5)"
    EXPECT_TRUE(WaitFor([&] { return CountRequests("/game/ovn.htm?srv=3") == pageFetches + 1; }));

    // With the hall shown, the hall is fetched again and the page is not.
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(kHallButton, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(page); }));
    ASSERT_TRUE(WaitFor([] { return CountRequests("/webgame.htm") >= 1; }, 20s));
    const int hallFetches = CountRequests("/webgame.htm");
    ASSERT_TRUE(ChooseInTrayMenu(0));
    EXPECT_TRUE(WaitFor([&] { return CountRequests("/webgame.htm") == hallFetches + 1; }));
    EXPECT_EQ(CountRequests("/game/ovn.htm?srv=3"), pageFetches + 1);
}

TEST_F(LauncherE2e, QuitFromTheTrayMenuEndsEverythingWithoutAQuestion) {
    Start();
    HWND page = WaitForFirstFrame();
    ASSERT_NE(page, nullptr);
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(kHallButton, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return HeldPages(wnd).size() >= 2; }, 20s));
    ASSERT_TRUE(SettleChildren(launcher.Id()));
    ASSERT_TRUE(ChooseInTrayMenu(5));  // "退出"
    // Nobody answers a question here: the launcher ends only if it asks none.
    EXPECT_EQ(launcher.Wait(15s), 0u);
    // (TearDown checks that every page process ended with it.)
}

TEST_F(LauncherE2e, UpdateFromTheMenu) {
    // The installed copy, started without a switch, is the launcher and checks
    // for no update by itself.
    CoInitialize(nullptr);
    life::ClearInstallation();
    CreateDirectoryW((life::SpecialFolderPath(CSIDL_COMMON_APPDATA) + L"\\Quenra").c_str(), nullptr);
    CreateDirectoryW(life::InstallFolder().c_str(), nullptr);
    ASSERT_TRUE(life::CopyOver(Environment::Get().exePath, life::InstalledExe()));
    struct Cleanup {
        ~Cleanup() {
            life::PublishUpdate(L"off");
            life::ClearInstallation();
            CoUninitialize();
        }
    } cleanup;

    // The same version published, and the portal holding its configuration
    // back: the launcher's thread, which runs the keyboard hook, does not wait
    // for it, so the boss key still hides everything meanwhile. It says it has
    // the latest version once the answer came and it is shown again.
    life::PublishUpdate(L"same");
    ASSERT_TRUE(launcher.Start(life::InstalledExe(), L""));
    wnd = WaitForWindow({.pid = launcher.Id(), .title = kTitle, .visibleOnly = true}, 20s);
    ASSERT_NE(wnd, nullptr);
    ASSERT_NE(WaitForFirstFrame(), nullptr);
    HttpGet(L"/__misbehave?path=/update/ConfigOvn.htm&mode=hold");
    struct Release {
        ~Release() { HttpGet(L"/__misbehave?path=/update/ConfigOvn.htm&mode=off"); }
    } release;
    PortalRequests(true);
    ASSERT_TRUE(ChooseInSystemMenu(3));  // "更新"
    ASSERT_TRUE(WaitFor([] { return CountRequests("GET /update/ConfigOvn.htm") == 1; }, 20s));
    SendKey(VK_F10);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(wnd); })) << "the boss key waited for the portal";
    EXPECT_EQ(WaitForBox(launcher.Id(), L"已经是最新版本，无需进行更新。", 0s), nullptr);
    HttpGet(L"/__misbehave?path=/update/ConfigOvn.htm&mode=off");
    SendKey(VK_F10);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(wnd) != FALSE; }));
    HWND box = WaitForBox(launcher.Id(), L"已经是最新版本，无需进行更新。", 20s);
    ASSERT_NE(box, nullptr);
    PressBoxButton(box, L"确定");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(launcher.Running());

    // A newer one: "/update" is started and the launcher ends at once.
    life::PublishUpdate(L"good", L"menu");
    PortalRequests(true);
    ASSERT_TRUE(ChooseInTrayMenu(3));
    EXPECT_EQ(launcher.Wait(20s), 0u);
    EXPECT_TRUE(WaitFor([] { return CountRequests("GET /update/pkg/Ovn.exe") == 1; }, 30s))
        << "the updater did not fetch the package";
}

}  // namespace
