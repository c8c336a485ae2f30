// The launcher window run for real, modeless on the test thread. Its children are
// copies of the stand-in program, each a process of its own that claims its label,
// makes a frame inside the launcher and asks to be adopted as a page does; its
// questions are answered by clicking the box.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher_test_support.h"
#include "process/process.h"

using launchertest::BoxAnswerer;
using launchertest::Pump;
using launchertest::Received;
using launchertest::PumpUntil;
using launchertest::PumpUntilIdle;
using launchertest::StandInChild;
using launchertest::StrangerWindow;

namespace {

constexpr UINT kMsgShowYourself = WM_APP + 78;  // the stand-in frame shows itself, as a reloading page once did

class Launcher : public launchertest::LauncherHost {
protected:
    std::wstring PageLine(std::size_t count) const {
        return L"/newgm /" + std::to_wstring(ovn::HandleToArgument(launcher)) + L" /" + std::to_wstring(count);
    }
    // Asks for another tab (as the add-account prompt does) and waits for it.
    HWND AnotherPage(const std::string& plan) {
        child.Plan(plan);
        const std::size_t before = dlg.Slots().PageCount();
        dlg.RequestOtherAccount(1);
        return WaitForPages(before + 1);
    }
    HWND ClickHallAndWait() {
        SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
        PumpUntil([&] { return dlg.HallWindow() != nullptr; }, 15000);
        return dlg.HallWindow();
    }
    bool WaitVisible(HWND window, bool visible) {
        return PumpUntil([&] { return (IsWindowVisible(window) != FALSE) == visible; });
    }
    // The login window of the pending stand-in page, once it has made one.
    HWND PendingLogin() {
        HWND found = nullptr;
        PumpUntil([&] {
            const DWORD pid = dlg.PendingProcess() ? GetProcessId(dlg.PendingProcess()) : 0;
            found = nullptr;
            for (HWND w = FindWindowExW(nullptr, nullptr, L"OvnStandInLogin", nullptr); w && pid;
                 w = FindWindowExW(nullptr, w, L"OvnStandInLogin", nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid)
                    found = w;
            }
            return found != nullptr;
        });
        return found;
    }
    // A claim sent as from the given window (the launcher sees only the window
    // named), with the given token before the label.
    LRESULT Claim(const std::wstring& label, HWND from, ovn::PageToken token) {
        const std::wstring text = ovn::ClaimText(token, label);
        COPYDATASTRUCT cds = {0, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                              const_cast<wchar_t*>(text.c_str())};
        return SendMessageW(launcher, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds));
    }
    // The tabs' minimum width, which tells how many pages the launcher holds.
    int NarrowestWidth() {
        SetWindowPos(launcher, nullptr, 0, 0, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r = {};
        GetWindowRect(launcher, &r);
        return r.right - r.left;
    }

};

}  // namespace

TEST_F(Launcher, StartsHiddenAtTheCornerWithTheFirstPageRequested) {
    Start("");
    wchar_t title[64] = {};
    GetWindowTextW(launcher, title, 64);
    EXPECT_STREQ(title, L"QuenraOrvane");
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 1);
    EXPECT_EQ(r.bottom - r.top, 1);
    for (int id : {IDC_BTN_HIDE, IDC_BTN_SOUND, IDC_BTN_MENU, IDC_BTN_HALL, IDC_LNK_OTHER_ACCOUNT})
        EXPECT_TRUE(GetDlgItem(launcher, id)) << id;

    ASSERT_TRUE(child.WaitForLines(1));
    EXPECT_EQ(launchertest::WithoutToken(child.Lines()[0]), PageLine(0));
    EXPECT_TRUE(dlg.PendingProcess());
}

TEST_F(Launcher, LabelsAreBoundedByThePendingPageAndMalformedOnesRefused) {
    Start("");  // the first page stays logging in
    ASSERT_TRUE(child.WaitForLines(1));
    HWND login = PendingLogin();
    ASSERT_NE(login, nullptr);
    // No terminator within the byte count, an odd count, no data: refused.
    const wchar_t noEnd[] = {L'a', L'b', L'c'};
    COPYDATASTRUCT cds = {0, sizeof noEnd, const_cast<wchar_t*>(noEnd)};
    const WPARAM from = reinterpret_cast<WPARAM>(login);
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, from, reinterpret_cast<LPARAM>(&cds)), 0);
    const wchar_t odd[] = L"abc";
    cds = {0, 7, const_cast<wchar_t*>(odd)};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, from, reinterpret_cast<LPARAM>(&cds)), 0);
    cds = {0, 0, nullptr};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, from, reinterpret_cast<LPARAM>(&cds)), 0);

    // A well-formed claim without the pending page's token is refused, and
    // leaves the page its label, whichever window it names: none, a
    // stranger's, the launcher's own, one that is gone, the page's own login.
    const std::wstring label = L"12\u670d-\u9f99\u57ce-player";
    const ovn::PageToken token = launchertest::TokenOf(child.Lines()[0]);
    ASSERT_NE(token, 0u);
    StrangerWindow stranger;
    HWND gone = StrangerWindow().hwnd();
    for (HWND other : {HWND{}, stranger.hwnd(), launcher, gone, HWND_BROADCAST, login}) {
        EXPECT_EQ(Claim(label, other, token ^ 1), 0) << other;
        EXPECT_EQ(Claim(label, other, 0), 0) << other;
    }
    const std::wstring bare = label;  // as claims were once sent: no token at all
    COPYDATASTRUCT plain = {0, static_cast<DWORD>((bare.size() + 1) * sizeof(wchar_t)), const_cast<wchar_t*>(bare.c_str())};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, from, reinterpret_cast<LPARAM>(&plain)), 0);
    EXPECT_TRUE(dlg.Slots().Labels().empty());

    // One page is on its way: one label, and no more however many are sent.
    EXPECT_EQ(Claim(label, login, token), 1);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(Claim(L"flood" + std::to_wstring(i), login, token), 0);
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{label});
}

TEST_F(Launcher, ItsSkinWaitsUntilThePendingPageSaysItsLoginIsShown) {
    Start("");  // the first page stays logging in
    ASSERT_TRUE(child.WaitForLines(1));
    HWND login = PendingLogin();
    ASSERT_NE(login, nullptr);
    auto skinned = [&] { return GetDlgItem(launcher, ovn::skin::kIdSysClose) != nullptr; };
    PumpUntilIdle();
    EXPECT_FALSE(skinned()) << "the skin was loaded beside the login";

    // Anybody can post the word, naming any window, the page's own login
    // included: only the pending page's token counts.
    const ovn::PageToken token = launchertest::TokenOf(child.Lines()[0]);
    ASSERT_NE(token, 0u);
    StrangerWindow stranger;
    HWND gone = StrangerWindow().hwnd();
    for (HWND other : {HWND{}, stranger.hwnd(), launcher, gone, HWND_BROADCAST, login})
        PostMessageW(launcher, ovn::kMsgLoginShown, reinterpret_cast<WPARAM>(other), 0);
    PostMessageW(launcher, ovn::kMsgLoginShown, ovn::TokenWordLow(token ^ 0x100000000ull), ovn::TokenWordHigh(token ^ 0x100000000ull));
    PostMessageW(launcher, ovn::kMsgLoginShown, ovn::TokenWordLow(token), 0);
    PumpUntilIdle();
    EXPECT_FALSE(skinned());

    PostMessageW(launcher, ovn::kMsgLoginShown, ovn::TokenWordLow(token), ovn::TokenWordHigh(token));
    PumpUntilIdle();
    EXPECT_TRUE(skinned());
    // Still out of sight until the page arrives.
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 1);
}

TEST_F(Launcher, FirstPageIsShownOverTheWorkAreaAndGetsTheSoundState) {
    Start("claim=1\u670d-A-a\narrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(child.ClaimAnswers(), std::vector<int>{1});
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{L"1\u670d-A-a"});
    EXPECT_FALSE(dlg.PendingProcess());
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_EQ(GetAncestor(page, GA_PARENT), launcher);
    // The launcher shows its page; the page never shows itself.
    EXPECT_TRUE(WaitVisible(page, true));

    RECT wa = {}, r = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, wa.right - wa.left);
    EXPECT_EQ(r.bottom - r.top, wa.bottom - wa.top);
    // No word of a shown login came: the skin was loaded when the page arrived,
    // and its buttons sit at the right end of the full-size frame.
    RECT close = {};
    ASSERT_TRUE(GetWindowRect(GetDlgItem(launcher, ovn::skin::kIdSysClose), &close));
    EXPECT_LE(close.right, r.right);
    EXPECT_GT(close.left, r.right - 60);

    // Timer 3 tells every page the sound state; the mute button flips it.
    ASSERT_TRUE(PumpUntil([&] { return !child.Inbox(page, ovn::kMsgSoundState).empty(); }, 3000));
    EXPECT_EQ(child.Inbox(page, ovn::kMsgSoundState).back().wParam, 0u);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_SOUND, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return child.Inbox(page, ovn::kMsgSoundState).back().wParam == 1u; }, 3000));
    EXPECT_EQ(ovn::LastSoundImage, 1);

    // The page follows the page area when the launcher is resized; the title
    // strip follows the right edge.
    SetWindowPos(launcher, nullptr, 0, 0, 900, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(launcher, &client);
    const auto placed = [&] {
        RECT pr = {};
        GetWindowRect(page, &pr);
        MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&pr), 2);
        return pr.left == 4 && pr.top == 30 && pr.right == client.right - 4 && pr.bottom == client.bottom - 4;
    };
    EXPECT_TRUE(PumpUntil(placed));
    RECT hide = {};
    GetWindowRect(GetDlgItem(launcher, IDC_BTN_HIDE), &hide);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&hide), 2);
    EXPECT_EQ(hide.left, client.right - 114);
    EXPECT_EQ(hide.right - hide.left, 27);
}

TEST_F(Launcher, WindowCannotShrinkBelowRoomForItsTabs) {
    Start("arrive=auto\n");
    // Without pages any size goes (it starts at 1 x 1).
    SetWindowPos(launcher, nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 300);
    ASSERT_NE(WaitForPages(1), nullptr);
    SetWindowPos(launcher, nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 672);
    EXPECT_EQ(r.bottom - r.top, 260);
    ASSERT_NE(AnotherPage("arrive=auto\n"), nullptr);
    SetWindowPos(launcher, nullptr, 0, 0, 700, 900, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 861);
    EXPECT_EQ(r.bottom - r.top, 900);
}

TEST_F(Launcher, KeysGoToWhatIsShown) {
    Start("arrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(launcher, WM_CHAR, 4, 0x00200001);
    PostMessageW(launcher, WM_CHAR, 4, 0x40200001);  // auto-repeat: not forwarded
    PumpUntilIdle();
    ASSERT_TRUE(child.Flush(page));
    ASSERT_EQ(child.Inbox(page, WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN)[0].lParam, 0x003F0001);
    EXPECT_EQ(child.Inbox(page, WM_CHAR).size(), 1u);

    // With the hall shown, the refresh goes to the hall, not the hidden page.
    HWND hall = ClickHallAndWait();
    ASSERT_NE(hall, nullptr);
    EXPECT_TRUE(WaitVisible(hall, true));
    EXPECT_TRUE(WaitVisible(page, false));
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, ovn::CloseMarker);
    PumpUntilIdle();
    ASSERT_TRUE(child.Flush(page));
    ASSERT_TRUE(child.Flush(hall));
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN).size(), 1u);
    ASSERT_EQ(child.Inbox(hall, WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(child.Inbox(hall, WM_KEYDOWN)[0].lParam, ovn::CloseMarker);

    // Esc and space do nothing: no question, the launcher stays.
    BoxAnswerer none(launcher, 2);
    PostMessageW(launcher, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(launcher, WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_FALSE(PumpUntilIdle());
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_TRUE(IsWindow(launcher));

    // A new page's arrival takes the screen from the hall; the switch key (once
    // loaded; here set by hand) moves to the next tab.
    HWND second = AnotherPage("arrive=auto\n");
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(WaitVisible(hall, false));
    EXPECT_TRUE(WaitVisible(second, true));
    ovn::SwitchHotkey = {VK_TAB, 2};
    ASSERT_EQ(dlg.Slots().Selected(), 1u);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(launcher, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PumpUntilIdle();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_TRUE(WaitVisible(page, true));
    EXPECT_TRUE(WaitVisible(second, false));
}

// The hall may show itself at any moment (a reloading page once did). What is
// on screen, where keys go and what the hall button shows and does next follow
// the launcher's own record, never the hall window's visibility.
TEST_F(Launcher, TheLauncherAloneDecidesWhatIsShown) {
    Start("arrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);

    // The hall is asked for, then the player goes back before it arrives: it
    // arrives hidden and stays so.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return dlg.HallWindow() != nullptr; }, 15000));
    HWND hall = dlg.HallWindow();
    ASSERT_TRUE(child.Flush(hall));
    EXPECT_FALSE(IsWindowVisible(hall));
    EXPECT_TRUE(IsWindowVisible(page));

    // Now the hidden hall shows itself.
    PostMessageW(hall, kMsgShowYourself, 0, 0);
    ASSERT_TRUE(WaitVisible(hall, true));
    // F5 still reaches the page the launcher shows.
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, 0x003F0001);
    PumpUntilIdle();
    ASSERT_TRUE(child.Flush(page));
    ASSERT_TRUE(child.Flush(hall));
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN).size(), 1u);
    EXPECT_TRUE(child.Inbox(hall, WM_KEYDOWN).empty());
    // The button keeps showing "hall hidden" across timer ticks...
    const auto ticks = child.Inbox(page, ovn::kMsgSoundState).size();
    ASSERT_TRUE(PumpUntil([&] { return child.Inbox(page, ovn::kMsgSoundState).size() >= ticks + 2; }, 5000));
    EXPECT_EQ(dlg.m_bHallShown, 0);
    // ...and its next click does what it shows: the hall comes up, the page goes.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitVisible(page, false));
    EXPECT_TRUE(IsWindowVisible(hall));
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_bHallShown == 1; }, 5000));

    // The page shows itself behind the hall: the hall still gets the refresh.
    PostMessageW(page, kMsgShowYourself, 0, 0);
    ASSERT_TRUE(WaitVisible(page, true));
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, 0x003F0001);
    PumpUntilIdle();
    ASSERT_TRUE(child.Flush(hall));
    EXPECT_EQ(child.Inbox(hall, WM_KEYDOWN).size(), 1u);
}

TEST_F(Launcher, ClosingTabsAsksAndPicksTheNextOne) {
    Start("claim=acct{n}\narrive=auto\n");
    HWND first = WaitForPages(1);
    HWND second = AnotherPage("claim=acct{n}\narrive=auto\n");
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(dlg.Slots().Labels(), (std::vector<std::wstring>{L"acct0", L"acct1"}));
    ASSERT_EQ(dlg.Slots().Selected(), 1u);

    {
        BoxAnswerer no(launcher, 2);
        dlg.ClosePage(0);
        EXPECT_EQ(no.Answered(), 1);
        EXPECT_EQ(no.Text(), L"确定要退出账号：acct0 ?");
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 2u);
    {
        BoxAnswerer yes(launcher, 1);
        dlg.ClosePage(0);
        EXPECT_EQ(yes.Answered(), 1);
    }
    ASSERT_EQ(dlg.Slots().PageCount(), 1u);
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_EQ(dlg.CurrentPage(), second);
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{L"acct1"});
    // Told to close once it was out of the launcher; the stand-in then ends.
    ASSERT_TRUE(PumpUntil([&] { return !child.Inbox(first, WM_SYSCOMMAND).empty(); }));
    const auto closing = child.Inbox(first, std::nullopt);
    ASSERT_GE(closing.size(), 2u);
    const Received detached = closing[closing.size() - 2], request = closing.back();
    EXPECT_EQ(detached.msg, 0u);
    EXPECT_EQ(detached.wParam, 1u) << "still inside the launcher when told to close";
    EXPECT_EQ(request.wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(request.lParam, 0);

    // The account may log in again.
    HWND again = AnotherPage("claim=acct0\narrive=auto\n");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(dlg.Slots().Labels(), (std::vector<std::wstring>{L"acct1", L"acct0"}));
    {
        BoxAnswerer yes(launcher, 1);
        dlg.ClosePage(1);
    }
    ASSERT_EQ(dlg.Slots().PageCount(), 1u);

    // The last tab asks about the whole launcher instead.
    {
        BoxAnswerer no(launcher, 2);
        dlg.ClosePage(0);
        EXPECT_EQ(no.Text(), L"窗口即将关闭，确定要退出游戏？");
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);
    bool quit = false;
    {
        BoxAnswerer yes(launcher, 1);
        PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);  // the frame's close button
        PumpUntil([&] { return quit; }, 10000, &quit);
        EXPECT_EQ(yes.Answered(), 1);
    }
    EXPECT_TRUE(quit);
    ASSERT_TRUE(PumpUntil([&] { return !child.Inbox(second, WM_SYSCOMMAND).empty(); }));
    EXPECT_EQ(child.Inbox(second, WM_NULL).back().wParam, 1u);
}

TEST_F(Launcher, AbandonedFirstLoginEndsWithoutAQuestion) {
    Start("abandon=1\n");
    BoxAnswerer none(launcher, 2);
    bool quit = false;
    EXPECT_TRUE(PumpUntil([&] { return quit; }, 10000, &quit));
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_FALSE(dlg.PendingProcess());
}

TEST_F(Launcher, AForgedAbandonChangesNothing) {
    Start("");  // the first page stays logging in
    ASSERT_TRUE(child.WaitForLines(1));
    BoxAnswerer none(launcher, 2);
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_FALSE(PumpUntilIdle());
    // Its look at the page process, made now rather than waited for: the page
    // is alive, so it is still the pending page.
    SendMessageW(launcher, WM_TIMER, ovn::kTimerPendingWatch, 0);
    EXPECT_FALSE(PumpUntilIdle());
    EXPECT_TRUE(dlg.PendingProcess());
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_TRUE(IsWindow(launcher));
}

TEST_F(Launcher, AbandonedLaterLoginOnlyDropsThePendingPage) {
    Start("arrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    child.Plan("claim=second\nabandon=1\n");
    BoxAnswerer none(launcher, 2);
    dlg.RequestOtherAccount(1);  // "another account, in this window"
    ASSERT_TRUE(child.WaitForLines(2));
    EXPECT_EQ(launchertest::WithoutToken(child.Lines()[1]), PageLine(1));
    ASSERT_TRUE(PumpUntil([&] { return child.ClaimAnswers().size() == 1 && !dlg.PendingProcess(); }));
    EXPECT_EQ(child.ClaimAnswers()[0], 1);
    EXPECT_FALSE(PumpUntilIdle());
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);
    EXPECT_EQ(dlg.Slots().Labels().size(), 1u) << "the abandoned page's label is forgotten";

    // The same request with no page pending is the player's close: it asks.
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_TRUE(PumpUntil([&] { return none.Answered() == 1; }));
    EXPECT_EQ(none.Text(), L"窗口即将关闭，确定要退出游戏？");
    EXPECT_TRUE(IsWindow(launcher));
}

TEST_F(Launcher, OnePageStartAtATime) {
    Start("");  // the first page stays logging in
    ASSERT_TRUE(child.WaitForLines(1));
    // Twenty requests while a page is logging in start nothing.
    for (int i = 0; i < 20; ++i)
        dlg.RequestOtherAccount(1);
    PumpUntilIdle();
    EXPECT_EQ(child.Lines().size(), 1u);
}

TEST_F(Launcher, AnotherAccountRequestsPostedByAnybodyStartNothing) {
    Start("arrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    // Only the prompt's own answer counts: the message alone, whoever posts it,
    // neither opens a tab nor starts another launcher.
    for (int i = 0; i < 20; ++i)
        PostMessageW(launcher, ovn::kMsgOtherAccount, i % 2, 0);
    PumpUntilIdle();
    EXPECT_EQ(child.Lines().size(), 1u);
    EXPECT_FALSE(dlg.PendingProcess());
}

TEST_F(Launcher, AtMostThreeTabsAndOneHallStart) {
    Start("arrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    ASSERT_NE(AnotherPage("arrive=auto\n"), nullptr);
    ASSERT_NE(AnotherPage("arrive=auto\n"), nullptr);
    ASSERT_EQ(child.Lines().size(), 3u);
    {
        BoxAnswerer ok(launcher, 1);
        dlg.RequestOtherAccount(1);
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }));
        EXPECT_EQ(ok.Text(), L"当前窗体只支持3个游戏页");
    }
    PumpUntilIdle();
    EXPECT_EQ(child.Lines().size(), 3u);  // nothing started

    // A new launcher window is the executable without arguments.
    dlg.RequestOtherAccount(0);
    ASSERT_TRUE(child.WaitForLines(4));
    EXPECT_EQ(child.Lines()[3], L"");

    // The hall is started once, even when the button is pressed again before it
    // arrives; the second press went back to the page, so it arrives hidden.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return dlg.HallWindow() != nullptr; }, 15000));
    EXPECT_EQ(child.Lines().size(), 5u);
    EXPECT_EQ(child.Lines()[4], L"/gmhall /" + std::to_wstring(ovn::HandleToArgument(launcher)));
    EXPECT_EQ(NarrowestWidth(), 483 + 189 * 3);
}

TEST_F(Launcher, OwnWindowsInTheWrongRoleAreToldToCloseAndStrangersLeftAlone) {
    Start("arrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);
    HWND hall = ClickHallAndWait();
    ASSERT_NE(hall, nullptr);

    // A page whose game is the hall, while a hall is held: closed, not held.
    HWND before = dlg.HallWindow();
    child.Plan("arrive=hall\n");
    dlg.RequestOtherAccount(1);
    ASSERT_TRUE(child.WaitForLines(3));
    ASSERT_TRUE(PumpUntil([&] { return !dlg.PendingProcess(); }, 15000));
    EXPECT_EQ(dlg.HallWindow(), before);
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);

    // Windows of other processes (here, this test's own) are neither held nor
    // touched, whatever they ask.
    StrangerWindow stranger;
    SetParent(stranger.hwnd(), launcher);
    PostMessageW(launcher, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(stranger.hwnd()), 0);
    PostMessageW(launcher, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(stranger.hwnd()), 1);
    PostMessageW(launcher, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
    PostMessageW(launcher, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(launcher), 0);
    PumpUntilIdle();
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);
    EXPECT_EQ(dlg.HallWindow(), before);
    EXPECT_FALSE(IsWindowVisible(stranger.hwnd()));
    SetParent(stranger.hwnd(), nullptr);
}

TEST_F(Launcher, APageThatDiesBeforeArrivingIsForgotten) {
    Start("claim=first\narrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    // Stand-in pages that claim their label and end at once, without a window.
    StandInChild quick(L"quick", 0);
    quick.Plan("claim=ghost\n");
    dlg.SetChildProgram(quick.Program());
    dlg.RequestOtherAccount(1);
    ASSERT_TRUE(PumpUntil([&] { return quick.ClaimAnswers().size() == 1; }));
    EXPECT_EQ(quick.ClaimAnswers()[0], 1);
    ASSERT_TRUE(PumpUntil([&] { return !dlg.PendingProcess(); }, 5000));
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{L"first"});
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);
}

TEST_F(Launcher, ALaterLoginThatDiesGivesTheLauncherItsInputBack) {
    Start("claim=first\narrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    // A later tab's login disables the launcher while it runs; this one is then
    // killed at its login.
    StandInChild dying(L"dying", 60);
    dying.Plan("disable=1\n");
    dlg.SetChildProgram(dying.Program());
    dlg.RequestOtherAccount(1);
    ASSERT_TRUE(PumpUntil([&] { return dlg.PendingProcess() && !IsWindowEnabled(launcher); }));
    const HANDLE pending = dlg.PendingProcess();
    TerminateProcess(pending, 9);
    WaitForSingleObject(pending, 10000);
    SendMessageW(launcher, WM_TIMER, ovn::kTimerPendingWatch, 0);
    EXPECT_FALSE(dlg.PendingProcess());
    EXPECT_TRUE(IsWindowEnabled(launcher));

    // The player's close is asked about again.
    BoxAnswerer no(launcher, 2);
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return no.Answered() == 1; }));
    EXPECT_TRUE(IsWindow(launcher));
}

TEST_F(Launcher, APageDyingWhileTheLauncherAsksLeavesItsQuestionModal) {
    Start("claim=first\narrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    StandInChild dying(L"dying", 60);
    dlg.SetChildProgram(dying.Program());
    dlg.RequestOtherAccount(1);
    ASSERT_TRUE(PumpUntil([&] { return dlg.PendingProcess() != nullptr; }));
    // While the launcher's own exit question is open, the pending page dies: the
    // launcher stays disabled under its question until it is answered.
    bool checked = false;
    BoxAnswerer no(launcher, 2);
    no.onSeen = [&] {
        TerminateProcess(dlg.PendingProcess(), 9);
        WaitForSingleObject(dlg.PendingProcess(), 10000);
        SendMessageW(launcher, WM_TIMER, ovn::kTimerPendingWatch, 0);
        checked = !dlg.PendingProcess() && !IsWindowEnabled(launcher);
    };
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return no.Answered() == 1; }));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(IsWindowEnabled(launcher));
}

TEST(LauncherAlone, ALauncherWhoseFirstPageDiedEnds) {
    StandInChild quick(L"alone", 0);
    ASSERT_TRUE(quick.Ready());
    ovn::CKelvor3Dlg dlg;
    dlg.SetChildProgram(quick.Program());
    ASSERT_TRUE(dlg.CreateModeless());
    bool quit = false;
    EXPECT_TRUE(PumpUntil([&] { return quit; }, 10000, &quit));
    EXPECT_FALSE(dlg.PendingProcess());
}
