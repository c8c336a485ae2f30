// The launcher process as a whole: its window, the pages it adopts, the label
// claims, the close requests, the keys it routes and how it ends. The test plays
// game pages itself (FakePage) and also checks the real first page process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "common/protocol.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/fake_page.h"

using namespace e2e;

namespace {

constexpr wchar_t kTitle[] = L"QuenraOrvane";

class LauncherE2e : public ::testing::Test {
protected:
    void SetUp() override {
        PortalRequests(true);
        ASSERT_TRUE(launcher.Start(L"/OvnD"));
        wnd = WaitForWindow({.pid = launcher.Id(), .title = kTitle}, 20s);
        ASSERT_NE(wnd, nullptr) << "the launcher window did not appear";
    }
    // The first page process (shown as the hall until the login exists) has
    // been adopted and the window has grown to the work area.
    HWND WaitForFirstFrame() {
        HWND frame = nullptr;
        WaitFor(
            [&] {
                auto kids = ForeignChildren(wnd);
                frame = kids.empty() ? nullptr : kids.front();
                return frame != nullptr;
            },
            20s);
        return frame;
    }
    Process launcher;
    HWND wnd = nullptr;
};

TEST_F(LauncherE2e, AdoptsItsFirstProcessAndFillsTheWorkArea) {
    RECT start = WindowRect(wnd);
    HWND frame = WaitForFirstFrame();
    ASSERT_NE(frame, nullptr) << "no frame of another process was adopted";
    EXPECT_TRUE(IsChild(wnd, frame));
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = WindowRect(wnd);
        return rc.left == work.left && rc.top == work.top && rc.right == work.right && rc.bottom == work.bottom;
    }));
    EXPECT_LE(start.right - start.left, 1) << "the launcher starts 1 x 1 until a page arrives";
    // The first process fetched its page from the portal.
    EXPECT_TRUE(WaitFor([] {
        auto log = PortalRequests();
        return std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("/webgame.htm") != std::string::npos; });
    }));
    SaveScreenshot(Environment::Get().stateDir + L"\\launcher.png");
}

TEST_F(LauncherE2e, ClaimsAreAcceptedOnceAndMalformedOnesRefused) {
    EXPECT_EQ(FakePage::Claim(wnd, L"1服-天命-alice"), 1);
    EXPECT_EQ(FakePage::Claim(wnd, L"1服-天命-Alice"), 1);  // case matters
    EXPECT_EQ(FakePage::Claim(wnd, L"1服-天命-alice"), 0);  // duplicate
    const wchar_t unterminated[] = {L'b', L'o', L'b'};
    EXPECT_EQ(FakePage::ClaimBytes(wnd, unterminated, sizeof(unterminated)), 0);
    const wchar_t label[] = L"x";
    EXPECT_EQ(FakePage::ClaimBytes(wnd, label, 3), 0);  // odd byte count
    EXPECT_EQ(FakePage::ClaimBytes(wnd, nullptr, 0), 0);
    EXPECT_TRUE(launcher.Running());
}

TEST_F(LauncherE2e, AbandonedFirstLoginEndsTheLauncherWithoutAQuestion) {
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, ovn::CloseMarker);
    EXPECT_EQ(launcher.Wait(10s), 0u);
}

TEST_F(LauncherE2e, RefusesAFourthTabAndRoutesF5ToTheCurrentPage) {
    ASSERT_NE(WaitForFirstFrame(), nullptr);
    FakePage pages[3];
    for (auto& p : pages) {
        p.Adopt(wnd);
        ASSERT_TRUE(WaitFor([&] { return IsChild(wnd, p.hwnd()); }));
    }
    // Each adopted page hears the sound state every 400 ms.
    EXPECT_TRUE(WaitFor([&] { return pages[0].Count(ovn::kMsgSoundState) >= 2; }, 5s));

    PostMessageW(wnd, ovn::kMsgOtherAccount, 1, 0);
    HWND box = WaitForBox(launcher.Id(), L"当前窗体只支持3个游戏页");
    ASSERT_NE(box, nullptr) << "no refusal of the fourth tab";
    SaveScreenshot(Environment::Get().stateDir + L"\\fourth-tab.png");
    ASSERT_TRUE(PressBoxButton(box, L"确定"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));

    // The newest page is current: F5 goes to it, with the player's lParam.
    PostMessageW(wnd, WM_KEYDOWN, VK_F5, 0x003F0001);
    EXPECT_TRUE(WaitFor([&] { return pages[2].Got(WM_KEYDOWN, VK_F5, 0x003F0001); }));
    EXPECT_FALSE(pages[0].Got(WM_KEYDOWN, VK_F5, 0x003F0001));
    // Esc and the space bar do nothing; in particular Esc does not ask to quit.
    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
    Sleep(500);
    EXPECT_EQ(FindBoxWithText(launcher.Id(), L"窗口即将关闭，确定要退出游戏？"), nullptr);
}

TEST_F(LauncherE2e, HallTogglesAndF5ReachesTheShownHall) {
    HWND hall = WaitForFirstFrame();  // the first process shows the hall until the login exists
    ASSERT_NE(hall, nullptr);
    FakePage page;
    page.Adopt(wnd);
    ASSERT_TRUE(WaitFor([&] { return IsChild(wnd, page.hwnd()); }));
    HWND hallButton = GetDlgItem(wnd, 1004);
    ASSERT_NE(hallButton, nullptr);

    // The hall is shown: pages hidden, F5 refreshes the hall (the portal sees it).
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), reinterpret_cast<LPARAM>(hallButton));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(hall) && !IsWindowVisible(page.hwnd()); }));
    PortalRequests(true);
    PostMessageW(wnd, WM_KEYDOWN, VK_F5, 0x003F0001);
    EXPECT_TRUE(WaitFor([] {
        auto log = PortalRequests();
        return std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("/webgame.htm") != std::string::npos; });
    }));
    EXPECT_FALSE(page.Got(WM_KEYDOWN, VK_F5, 0x003F0001));

    // Toggled back: the page is shown again and the hall hidden.
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), reinterpret_cast<LPARAM>(hallButton));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hall) && IsWindowVisible(page.hwnd()); }));
}

TEST_F(LauncherE2e, ClosingTheLauncherAsksThenClosesEveryPage) {
    ASSERT_NE(WaitForFirstFrame(), nullptr);
    FakePage a, b;
    a.Adopt(wnd);
    b.Adopt(wnd);
    ASSERT_TRUE(WaitFor([&] { return IsChild(wnd, b.hwnd()); }));
    PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？");
    ASSERT_NE(box, nullptr);
    SaveScreenshot(Environment::Get().stateDir + L"\\exit-question.png");
    ASSERT_TRUE(PressBoxButton(box, L"是"));
    EXPECT_EQ(launcher.Wait(10s), 0u);
    EXPECT_TRUE(WaitFor([&] { return a.Got(WM_SYSCOMMAND, SC_CLOSE, 0) && b.Got(WM_SYSCOMMAND, SC_CLOSE, 0); }));
    // Detached before being told to close: a frame still inside the launcher
    // would have gone with the launcher's window.
    EXPECT_TRUE(IsWindow(a.hwnd()));
    EXPECT_TRUE(GetParent(a.hwnd()) == nullptr || GetParent(a.hwnd()) == GetDesktopWindow());
}

TEST_F(LauncherE2e, KilledLauncherTakesEveryPageProcessWithIt) {
    HWND first = WaitForFirstFrame();
    ASSERT_NE(first, nullptr);
    // A second real page process, asked for like the add-account prompt does.
    PostMessageW(wnd, ovn::kMsgOtherAccount, 1, 0);
    ASSERT_TRUE(WaitFor([&] { return ForeignChildren(wnd).size() >= 2; }, 20s));
    std::vector<fw::Handle> pages;
    for (HWND h : ForeignChildren(wnd))
        pages.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, WindowProcessId(h)));
    ASSERT_EQ(pages.size(), 2u);

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

}  // namespace
