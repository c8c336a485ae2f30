// The launcher window run for real, modeless on the test thread: its children
// are a stand-in batch program, its pages are windows of this test that post
// what a game page posts, and its questions are answered by clicking the box.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/startup.h"
#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher_test_support.h"

using launchertest::BoxAnswerer;
using launchertest::FakePage;
using launchertest::Pump;
using launchertest::PumpUntil;
using launchertest::StandInChild;

namespace {

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        ovn::LastWidth = 0;
        ovn::LastSoundImage = 1;
        ovn::SwitchHotkey = {};
        ASSERT_TRUE(child.Ready());
        dlg.SetChildProgram(child.Program());
        ASSERT_TRUE(dlg.CreateModeless());
        ShowWindow(dlg.hwnd(), SW_SHOW);  // as its modal run would
        launcher = dlg.hwnd();
    }
    void TearDown() override {
        if (launcher && IsWindow(launcher))
            dlg.Destroy();
        Pump(50);
    }

    std::wstring PageLine(std::size_t count) const {
        return L"/newgm /" + std::to_wstring(ovn::HandleToArgument(launcher)) + L" /" + std::to_wstring(count);
    }
    // A page arrives and the launcher has taken it.
    void Arrive(const FakePage& page, bool hall = false) {
        page.ArriveAt(launcher, hall);
        ASSERT_TRUE(PumpUntil([&] {
            return hall ? dlg.HallWindow() == page.hwnd()
                        : !dlg.Slots().Empty() && dlg.Slots().Pages().back() == reinterpret_cast<std::uintptr_t>(page.hwnd());
        }));
    }
    LRESULT Claim(const std::wstring& label) {
        COPYDATASTRUCT cds = {0, static_cast<DWORD>((label.size() + 1) * sizeof(wchar_t)),
                              const_cast<wchar_t*>(label.c_str())};
        return SendMessageW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    }
    bool Quit(DWORD ms) { return Pump(ms); }

    StandInChild child{L"launcher", 20};
    ovn::CKelvor3Dlg dlg;
    HWND launcher = nullptr;
};

}  // namespace

TEST_F(Launcher, StartsHiddenAtTheCornerWithTheFirstPageRequested) {
    wchar_t title[64] = {};
    GetWindowTextW(launcher, title, 64);
    EXPECT_STREQ(title, L"QuenraOrvane");
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 1);
    EXPECT_EQ(r.bottom - r.top, 1);
    for (int id = 1001; id <= 1005; ++id)
        EXPECT_TRUE(GetDlgItem(launcher, id)) << id;

    ASSERT_TRUE(child.WaitForLines(1));
    EXPECT_EQ(child.Lines()[0], PageLine(0));
    EXPECT_TRUE(dlg.PendingProcess());
}

TEST_F(Launcher, LabelsAreClaimedExactlyAndMalformedOnesRefused) {
    const std::wstring label = L"12\u670d-\u9f99\u57ce-player";
    EXPECT_EQ(Claim(label), 1);
    EXPECT_EQ(Claim(label), 0);
    EXPECT_EQ(Claim(L"12\u670d-\u9f99\u57ce-Player"), 1);

    // No terminator within the byte count, an odd count, no data: refused.
    const wchar_t noEnd[] = {L'a', L'b', L'c'};
    COPYDATASTRUCT cds = {0, sizeof noEnd, const_cast<wchar_t*>(noEnd)};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0);
    const wchar_t odd[] = L"abc";
    cds = {0, 7, const_cast<wchar_t*>(odd)};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0);
    cds = {0, 0, nullptr};
    EXPECT_EQ(SendMessageW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0);
    EXPECT_EQ(dlg.Slots().Labels().size(), 2u);
}

TEST_F(Launcher, FirstPageFillsTheWorkAreaAndGetsTheSoundState) {
    ASSERT_TRUE(child.WaitForLines(1));
    FakePage page;
    Claim(L"1\u670d-A-a");
    Arrive(page);
    EXPECT_FALSE(dlg.PendingProcess());
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_EQ(GetAncestor(page.hwnd(), GA_PARENT), launcher);

    RECT wa = {}, r = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, wa.right - wa.left);
    EXPECT_EQ(r.bottom - r.top, wa.bottom - wa.top);

    // Timer 3 tells every page the sound state; the mute button flips it.
    ASSERT_TRUE(PumpUntil([&] { return !page.Got(ovn::kMsgSoundState).empty(); }, 3000));
    EXPECT_EQ(page.Got(ovn::kMsgSoundState).back().wParam, 0u);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
    page.Forget();
    ASSERT_TRUE(PumpUntil([&] { return !page.Got(ovn::kMsgSoundState).empty(); }, 3000));
    EXPECT_EQ(page.Got(ovn::kMsgSoundState).back().wParam, 1u);
    EXPECT_EQ(ovn::LastSoundImage, 1);

    // The page sits in the page area after a resize; the title strip follows the right edge.
    SetWindowPos(launcher, nullptr, 0, 0, 900, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(50);
    RECT client = {}, pr = {};
    GetClientRect(launcher, &client);
    dlg.ShowPage(page.hwnd());
    GetWindowRect(page.hwnd(), &pr);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&pr), 2);
    EXPECT_EQ(pr.left, 4);
    EXPECT_EQ(pr.top, 30);
    EXPECT_EQ(pr.right, client.right - 4);
    EXPECT_EQ(pr.bottom, client.bottom - 4);
    RECT hide = {};
    GetWindowRect(GetDlgItem(launcher, 1001), &hide);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&hide), 2);
    EXPECT_EQ(hide.left, client.right - 114);
    EXPECT_EQ(hide.right - hide.left, 27);
}

TEST_F(Launcher, WindowCannotShrinkBelowRoomForItsTabs) {
    // Without pages any size goes (it starts at 1 x 1).
    SetWindowPos(launcher, nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 300);
    FakePage page;
    Arrive(page);
    SetWindowPos(launcher, nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 672);
    EXPECT_EQ(r.bottom - r.top, 260);
    FakePage second;
    Arrive(second);
    SetWindowPos(launcher, nullptr, 0, 0, 700, 900, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 861);
    EXPECT_EQ(r.bottom - r.top, 900);
}

TEST_F(Launcher, KeysGoToWhatIsShown) {
    FakePage page, hall;
    Arrive(page);
    dlg.ShowPage(page.hwnd());
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(launcher, WM_CHAR, 4, 0x00200001);
    PostMessageW(launcher, WM_CHAR, 4, 0x40200001);  // auto-repeat: not forwarded
    Pump(100);
    ASSERT_EQ(page.Got(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(page.Got(WM_KEYDOWN)[0].lParam, 0x003F0001);
    EXPECT_EQ(page.Got(WM_CHAR).size(), 1u);

    // With the hall shown, the refresh goes to the hall, not the hidden page.
    Arrive(hall, true);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);  // show the hall
    EXPECT_TRUE(IsWindowVisible(hall.hwnd()));
    EXPECT_FALSE(IsWindowVisible(page.hwnd()));
    page.Forget();
    PostMessageW(launcher, WM_KEYDOWN, VK_F5, ovn::CloseMarker);
    Pump(100);
    EXPECT_TRUE(page.Got(WM_KEYDOWN).empty());
    ASSERT_EQ(hall.Got(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(hall.Got(WM_KEYDOWN)[0].lParam, ovn::CloseMarker);

    // Esc and space do nothing: no question, the launcher stays.
    BoxAnswerer none(launcher, 2);
    PostMessageW(launcher, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(launcher, WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_FALSE(Pump(300));
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_TRUE(IsWindow(launcher));

    // The switch key moves to the next tab (once loaded; here set by hand). A
    // new page's arrival has hidden the hall again.
    FakePage second;
    Arrive(second);
    EXPECT_FALSE(IsWindowVisible(hall.hwnd()));
    ovn::SwitchHotkey = {VK_TAB, 2};
    ASSERT_EQ(dlg.Slots().Selected(), 1u);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(launcher, WM_KEYDOWN, VK_TAB, 0x000F0001);
    Pump(100);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_TRUE(IsWindowVisible(page.hwnd()));
    EXPECT_FALSE(IsWindowVisible(second.hwnd()));
}

TEST_F(Launcher, ClosingTabsAsksAndPicksTheNextOne) {
    FakePage first, second;
    Claim(L"a");
    Arrive(first);
    Claim(L"b");
    Arrive(second);
    ASSERT_EQ(dlg.Slots().Selected(), 1u);

    {
        BoxAnswerer no(launcher, 2);
        dlg.ClosePage(0);
        EXPECT_EQ(no.Answered(), 1);
        EXPECT_EQ(no.Text(), L"确定要退出账号：a ?");
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 2u);
    {
        BoxAnswerer yes(launcher, 1);
        dlg.ClosePage(0);
        EXPECT_EQ(yes.Answered(), 1);
    }
    ASSERT_EQ(dlg.Slots().PageCount(), 1u);
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_EQ(dlg.CurrentPage(), second.hwnd());
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{L"b"});
    Pump(50);
    EXPECT_EQ(GetAncestor(first.hwnd(), GA_PARENT), GetDesktopWindow());
    ASSERT_EQ(first.Got(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(first.Got(WM_SYSCOMMAND)[0].wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(first.Got(WM_SYSCOMMAND)[0].lParam, 0);
    EXPECT_EQ(Claim(L"a"), 1);  // the account may log in again

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
    EXPECT_EQ(GetAncestor(second.hwnd(), GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(second.hwnd()));
    EXPECT_EQ(second.Got(WM_SYSCOMMAND).size(), 1u);
}

TEST_F(Launcher, AbandonedFirstLoginEndsWithoutAQuestion) {
    ASSERT_TRUE(child.WaitForLines(1));
    HANDLE pending = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), dlg.PendingProcess(), GetCurrentProcess(), &pending, SYNCHRONIZE,
                                FALSE, 0));
    fw::Handle process(pending);
    BoxAnswerer none(launcher, 2);
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_TRUE(Quit(300));
    EXPECT_EQ(none.Answered(), 0);
    // The still-pending page process is ended with the launcher.
    EXPECT_EQ(WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
}

TEST_F(Launcher, AbandonedLaterLoginOnlyDropsThePendingPage) {
    FakePage page;
    Arrive(page);
    PostMessageW(launcher, WM_USER + 6, 1, 0);  // "another account, in this window"
    ASSERT_TRUE(child.WaitForLines(2));
    EXPECT_EQ(child.Lines()[1], PageLine(1));
    ASSERT_TRUE(dlg.PendingProcess());
    BoxAnswerer none(launcher, 2);
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_FALSE(Quit(300));
    EXPECT_FALSE(dlg.PendingProcess());
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_EQ(dlg.Slots().PageCount(), 1u);

    // The same request with no page pending is the player's close: it asks.
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_TRUE(PumpUntil([&] { return none.Answered() == 1; }));
    EXPECT_EQ(none.Text(), L"窗口即将关闭，确定要退出游戏？");
    EXPECT_TRUE(IsWindow(launcher));
}

TEST_F(Launcher, AtMostThreeTabsAndOneHallStart) {
    FakePage a, b, c;
    Arrive(a);
    Arrive(b);
    Arrive(c);
    ASSERT_TRUE(child.WaitForLines(1));
    {
        BoxAnswerer ok(launcher, 1);
        PostMessageW(launcher, WM_USER + 6, 1, 0);
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }));
        EXPECT_EQ(ok.Text(), L"当前窗体只支持3个游戏页");
    }
    Pump(500);
    EXPECT_EQ(child.Lines().size(), 1u);  // nothing started

    // A new launcher window is the executable without arguments.
    PostMessageW(launcher, WM_USER + 6, 0, 0);
    ASSERT_TRUE(child.WaitForLines(2));
    EXPECT_EQ(child.Lines()[1], L"");

    // The hall is started once, even when the button is pressed again before it arrives.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    ASSERT_TRUE(child.WaitForLines(3));
    Pump(500);
    ASSERT_EQ(child.Lines().size(), 3u);
    EXPECT_EQ(child.Lines()[2], L"/gmhall /" + std::to_wstring(ovn::HandleToArgument(launcher)));
}

TEST_F(Launcher, APageThatDiesBeforeArrivingIsForgotten) {
    // Stand-in pages that end at once, without a window and without a word.
    StandInChild quick(L"quick", 0);
    dlg.SetChildProgram(quick.Program());
    FakePage page;
    Claim(L"first");
    Arrive(page);
    PostMessageW(launcher, WM_USER + 6, 1, 0);
    ASSERT_TRUE(quick.WaitForLines(1));
    Claim(L"ghost");  // claimed, then the process died
    ASSERT_TRUE(PumpUntil([&] { return !dlg.PendingProcess(); }, 5000));
    EXPECT_EQ(dlg.Slots().Labels(), std::vector<std::wstring>{L"first"});
    EXPECT_EQ(Claim(L"ghost"), 1);
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
