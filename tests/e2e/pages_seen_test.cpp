// The pages as the player sees them in the launcher, read from the screen's
// pixels: each world's game page wears its own background colour (the local
// portal's), and the hall a cream one. What matters is what is on the screen,
// not which windows exist: a page drawn elsewhere, one left behind another, or
// a picture left after its tab closed all fail here.
#include <gtest/gtest.h>

#include <sstream>

#include "common/page_hosting.h"
#include "launcher/tab_strip.h"
#include "res/resource.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/login.h"
#include "tests/e2e/life_support.h"

using namespace e2e;

namespace {

constexpr std::uint32_t kWorld3 = kWorld3Colour;
constexpr std::uint32_t kWorld4 = kWorld4Colour;
constexpr std::uint32_t kHall = kHallColour;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class PagesSeenE2e : public ::testing::Test {
protected:
    void SetUp() override { life::EndAllCopies(); }
    void TearDown() override { EXPECT_EQ(EndLauncher(launcher, wnd), ""); }

    RECT PageAreaOnScreen() const { return e2e::PageAreaOnScreen(wnd); }
    static RECT WholeScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

    // Waits until the page area mostly shows colour; says what it shows otherwise.
    ::testing::AssertionResult AreaShows(std::uint32_t colour, const char* what) {
        if (WaitFor([&] { return PageAreaShows(wnd, colour); }, 20s))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << what << " is not what the page area shows: " << ShareOfColour(PageAreaOnScreen(), colour) * 100
               << " % of it in its colour, " << ShareOfColour(PageAreaOnScreen(), kWorld3) * 100 << " % world 3's, "
               << ShareOfColour(PageAreaOnScreen(), kWorld4) * 100 << " % world 4's, "
               << ShareOfColour(PageAreaOnScreen(), kHall) * 100 << " % the hall's; " << Windows();
    }
    // Where the launcher's pages are, for a failure's message.
    std::string Windows() const {
        std::ostringstream out;
        const RECT area = PageAreaOnScreen();
        HWND hit = WindowFromPoint({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
        out << "the area's centre is window " << hit << " of process " << WindowProcessId(hit) << " (class "
            << Narrow(ClassName(hit)) << ")";
        HWND front = GetForegroundWindow();
        out << "; the launcher is " << (IsWindowEnabled(wnd) ? "enabled" : "disabled") << ", in front: " << front
            << " of process " << WindowProcessId(front) << "; from the top:";
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (!IsWindowVisible(h) && h != wnd)
                continue;
            out << " " << h << "/" << WindowProcessId(h) << "/" << Narrow(ClassName(h))
                << ((GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "/topmost" : "");
            if (h == wnd)
                break;
        }
        out << "; pages:";
        for (HWND h : HeldPages(wnd)) {
            const RECT r = WindowRect(h);
            out << " " << h << (IsWindowVisible(h) ? " shown" : " hidden") << " at " << r.left << "," << r.top << "-"
                << r.right << "," << r.bottom;
        }
        return out.str();
    }
    // Waits until not one pixel of colour is left anywhere on the screen.
    ::testing::AssertionResult NowhereOnScreen(std::uint32_t colour, const char* what) {
        if (WaitFor([&] { return ShareOfColour(WholeScreen(), colour) == 0; }, 20s))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << what << " is still on the screen: "
                                             << ShareOfColour(WholeScreen(), colour) * 100 << " % of it";
    }
    bool ClickTab(int index) {
        const ovn::launcher::Span tab = ovn::launcher::TabLabelRect(index);
        return ClickOnClient(wnd, {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
    }

    Process launcher;
    HWND wnd = nullptr;
};

TEST_F(PagesSeenE2e, TabsTheHallAndTheBossKeyShowWhatThePlayerExpects) {
    // Wine draws nothing of another process's window held as a child
    // (OVN_PAGE_HOSTING=child): there is nothing to look at.
    if (ovn::PageHostingHere() == ovn::PageHosting::Child)
        GTEST_SKIP() << "pages held as children are not drawn under Wine";
    // Quarantined in the 32-bit build: there a click on the launcher (a tab, the
    // hall button) is lost in most full runs of the tier, with the desktop in
    // front at that moment, and the cause is not found yet. The 64-bit build
    // runs it; the hunt is the next step for the pages held over the launcher.
    if (sizeof(void*) == 4)
        GTEST_SKIP() << "quarantined in the 32-bit build: a click on the launcher is lost in full runs";
    ASSERT_TRUE(launcher.Start(L"/OvnD"));
    wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 20s);
    ASSERT_NE(wnd, nullptr);

    // The first account's game page, inside the launcher's page area.
    ASSERT_NE(LogInFirstPage(wnd), nullptr);
    EXPECT_TRUE(AreaShows(kWorld3, "the first account's game page"));

    // A second account: its tab shows its own page, and only that one.
    DWORD second = 0;
    const LoginWindows login = OpenAnotherTab(wnd, &second);
    ASSERT_NE(login.page, nullptr);
    ASSERT_TRUE(ClickLink(login.page, LoginPageUrl(), L"S4服", kLoginPageHostFlags));
    EXPECT_TRUE(AreaShows(kWorld4, "the second account's game page"));
    EXPECT_TRUE(NowhereOnScreen(kWorld3, "the first tab's page, behind the second"));

    // A click on the first tab brings its page back (once the page shown has
    // the keyboard: a click during that handover loses its capture).
    WaitForShownPageKeyboard(wnd);
    ASSERT_TRUE(ClickTab(0));
    EXPECT_TRUE(AreaShows(kWorld3, "the first tab's page, clicked"));
    EXPECT_TRUE(NowhereOnScreen(kWorld4, "the second tab's page, behind the first"));

    // The hall comes over the page and goes again.
    WaitForShownPageKeyboard(wnd);
    ASSERT_TRUE(ClickWindow(GetDlgItem(wnd, IDC_BTN_HALL)));
    EXPECT_TRUE(AreaShows(kHall, "the hall"));
    EXPECT_TRUE(NowhereOnScreen(kWorld3, "the page under the hall"));
    ASSERT_TRUE(ClickWindow(GetDlgItem(wnd, IDC_BTN_HALL)));
    EXPECT_TRUE(AreaShows(kWorld3, "the page after the hall"));
    EXPECT_TRUE(NowhereOnScreen(kHall, "the hall, gone"));

    // The boss key hides all of it, and brings it back.
    SendKey(VK_F10);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(wnd); }));
    EXPECT_TRUE(NowhereOnScreen(kWorld3, "the page, hidden with the launcher"));
    EXPECT_TRUE(NowhereOnScreen(kWorld4, "the other page, hidden with the launcher"));
    SendKey(VK_F10);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(wnd) != FALSE; }));
    EXPECT_TRUE(AreaShows(kWorld3, "the page, back with the launcher"));

    // Minimised and restored: the same.
    ShowWindowAsync(wnd, SW_MINIMIZE);
    EXPECT_TRUE(NowhereOnScreen(kWorld3, "the page of a minimised launcher"));
    ShowWindowAsync(wnd, SW_RESTORE);
    EXPECT_TRUE(AreaShows(kWorld3, "the page of the restored launcher"));

    // The first tab closes: the second shows, and nothing of the first is left.
    WaitForShownPageKeyboard(wnd);
    const ovn::launcher::Span close = ovn::launcher::TabCloseBoxRect(0);
    ASSERT_TRUE(ClickOnClient(wnd, {(close.left + close.right) / 2, (close.top + close.bottom) / 2}));
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : FindWindows({.pid = launcher.Id(), .visibleOnly = true}))
            for (const std::wstring& text : ChildTexts(h))
                if (text.rfind(L"确定要退出账号", 0) == 0)
                    question = h;
        return question != nullptr;
    }, 20s)) << "no question before the tab closes";
    ASSERT_TRUE(ClickWindow(FindWindowExW(question, nullptr, nullptr, L"是"))) << "the question is not in front";
    EXPECT_TRUE(AreaShows(kWorld4, "the tab left after the first closed"));
    EXPECT_TRUE(NowhereOnScreen(kWorld3, "the closed tab's page"));
}

}  // namespace
