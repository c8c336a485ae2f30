// The launcher's tab strip, with the launcher run for real (modeless on the test
// thread) and stand-in page processes as its tabs. The mouse is played by
// sending the messages the system sends, at points where the real cursor is
// put first, so that whatever the system itself sends meanwhile agrees.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdlib>
#include <cstring>

#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher/tab_strip.h"
#include "launcher_test_support.h"
#include "skin_test_support.h"

using launchertest::BoxAnswerer;
using launchertest::PumpUntil;
using launchertest::PumpUntilIdle;
using launchertest::StandInChild;
using ovn::launcher::Span;
using ovn::launcher::TabCloseBoxRect;
using ovn::launcher::TabLabelRect;
using ovn::launcher::TabRect;

namespace {

bool Differ(const skintest::Pixels& a, const skintest::Pixels& b, const Span& area) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.at(x, y) != b.at(x, y))
                return true;
    return false;
}

// Pixels of a tab's label: darker than the tab's own image on the same row,
// as its left margin shows it (the image only changes from row to row there).
int TextPixels(const skintest::Pixels& px, int tab) {
    const auto sum = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    const Span label = TabLabelRect(tab);
    int n = 0;
    for (int y = label.top; y < label.bottom; ++y) {
        const int ground = sum(px.at(TabRect(tab).left + 8, y));
        for (int x = label.left; x < label.right; ++x)
            n += sum(px.at(x, y)) < ground - 150;
    }
    return n;
}

// A tab's left margin, where no label is written: only its image shows there.
Span Margin(int tab) {
    const Span t = TabRect(tab);
    return {t.left + 2, t.top, t.left + 14, t.bottom};
}

void SavePng(const skintest::Pixels& px, const wchar_t* path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return;
    {
        std::vector<std::uint32_t> opaque(px.data);
        Gdiplus::Bitmap image(px.w, px.h, px.w * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(opaque.data()));
        CLSID png{0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        image.Save(path, &png, nullptr);
    }
    Gdiplus::GdiplusShutdown(token);
}

class Tabs : public launchertest::LauncherHost {
protected:
    ~Tabs() override { HoldLeftButton(false); }  // a case that ends between press and release
    // The launcher with n tabs "acct0" ... ; the newest is current.
    void StartWithTabs(std::size_t n) {
        LauncherHost::StartWithTabs(n);
        ASSERT_EQ(dlg.Slots().Labels(), (std::vector<std::wstring>{L"acct0", L"acct1", L"acct2"}));
        pages = dlg.Slots().Pages().size();
    }

    POINT Screen(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(launcher, &p);
        return p;
    }
    bool Maximised() const { return dlg.m_bMaximized; }

    // The mouse moves to the client point: the system's hit test, then the move.
    LRESULT MoveTo(int x, int y) {
        const POINT s = Screen(x, y);
        SetCursorPos(s.x, s.y);
        const LRESULT hit = SendMessageW(launcher, WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
        if (hit == HTCLIENT)
            SendMessageW(launcher, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        else
            SendMessageW(launcher, WM_NCMOUSEMOVE, hit, MAKELPARAM(s.x, s.y));
        PumpUntilIdle();
        return hit;
    }
    // A button message at a client point, in the form the window's state makes
    // the system send: non-client with screen points while the frame calls the
    // caption band caption, client ones while maximised.
    void Button(UINT clientMsg, UINT ncMsg, int x, int y) {
        const LRESULT hit = MoveTo(x, y);
        const POINT s = Screen(x, y);
        if (hit == HTCLIENT)
            SendMessageW(launcher, clientMsg, 0, MAKELPARAM(x, y));
        else
            SendMessageW(launcher, ncMsg, hit, MAKELPARAM(s.x, s.y));
        PumpUntilIdle();
    }
    // The left button is held in this thread's key state from the press to the
    // release, as the system holds it for a real one: a move the system makes
    // late for the cursor's placing (a busy machine) then finds it down.
    void Press(int x, int y) {
        HoldLeftButton(true);
        Button(WM_LBUTTONDOWN, WM_NCLBUTTONDOWN, x, y);
    }
    void Release(int x, int y) {
        HoldLeftButton(false);
        Button(WM_LBUTTONUP, WM_NCLBUTTONUP, x, y);
    }
    static void HoldLeftButton(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_LBUTTON] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void DoubleClick(int x, int y) { Button(WM_LBUTTONDBLCLK, WM_NCLBUTTONDBLCLK, x, y); }
    void MiddleClick(int x, int y) { Button(WM_MBUTTONUP, WM_NCMBUTTONUP, x, y); }

    std::wstring TipText() {
        wchar_t text[256] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = launcher;
        tool.uId = 0;
        tool.lpszText = text;
        SendMessageW(dlg.m_tabStrip.Tooltip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    skintest::Pixels Background() {
        RECT c = {};
        GetClientRect(launcher, &c);
        return skintest::EraseIntoBitmap(launcher, c.right, c.bottom);
    }
    const ovn::launcher::TabStrip& Strip() const { return dlg.m_tabStrip.State(); }

    // Selecting, closing on release over a close box, middle click and the
    // double click, in whichever state the window is in.
    void ClickThroughTheTabs();

    std::size_t pages = 0;
};

void Tabs::ClickThroughTheTabs() {
    HWND first = dlg.PageWindow(0), second = dlg.PageWindow(1), third = dlg.PageWindow(2);

    // A press on a tab makes it current and shows its page; the release on its
    // body closes nothing.
    Press(200, 12);
    EXPECT_EQ(dlg.Slots().Selected(), 0u);
    EXPECT_EQ(dlg.CurrentPage(), first);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(first) && !IsWindowVisible(third); }));
    Release(200, 12);
    EXPECT_EQ(dlg.Slots().PageCount(), 3u);

    // A press on another tab's close box selects it and arms the box; let go
    // beside the box, nothing is asked.
    {
        BoxAnswerer never(launcher, 2);
        Press(TabCloseBoxRect(1).left, 3);
        EXPECT_EQ(dlg.Slots().Selected(), 1u);
        EXPECT_EQ(Strip().Hover(), 1);
        EXPECT_EQ(Strip().CloseState(), ovn::launcher::ClosePressed);
        Release(TabCloseBoxRect(1).left - 1, 3);
        EXPECT_EQ(never.Answered(), 0);
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 3u);

    // Let go over the close box: asked; "No" keeps the tab.
    {
        BoxAnswerer no(launcher, 2);
        Press(TabCloseBoxRect(1).right - 1, 15);
        Release(TabCloseBoxRect(1).right - 1, 15);
        EXPECT_EQ(no.Answered(), 1);
        EXPECT_EQ(no.Text(), L"确定要退出账号：acct1 ?");
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 3u);

    // Double clicks on a tab do nothing to the window; beside the tabs the
    // frame's toggle runs.
    const bool was = Maximised();
    RECT before = {}, after = {};
    GetWindowRect(launcher, &before);
    DoubleClick(400, 12);
    GetWindowRect(launcher, &after);
    EXPECT_EQ(Maximised(), was);
    EXPECT_TRUE(EqualRect(&before, &after));
    DoubleClick(TabRect(2).right + 1, 12);
    EXPECT_NE(Maximised(), was);
    DoubleClick(TabRect(2).right + 1, 12);  // and back
    ASSERT_EQ(Maximised(), was);

    // "Yes" closes that tab.
    {
        BoxAnswerer yes(launcher, 1);
        Press(TabCloseBoxRect(1).left + 6, 9);
        Release(TabCloseBoxRect(1).left + 6, 9);
        EXPECT_EQ(yes.Answered(), 1);
    }
    ASSERT_EQ(dlg.Slots().PageCount(), 2u);
    EXPECT_EQ(dlg.Slots().Labels(), (std::vector<std::wstring>{L"acct0", L"acct2"}));
    EXPECT_TRUE(PumpUntil([&] { return !child.Inbox(second, WM_SYSCOMMAND).empty(); }));

    // A middle click anywhere on a tab asks to close it.
    {
        BoxAnswerer yes(launcher, 1);
        MiddleClick(TabRect(0).left + 30, 20);
        EXPECT_EQ(yes.Answered(), 1);
        EXPECT_EQ(yes.Text(), L"确定要退出账号：acct0 ?");
    }
    ASSERT_EQ(dlg.Slots().PageCount(), 1u);
    EXPECT_EQ(dlg.CurrentPage(), third);
    EXPECT_TRUE(PumpUntil([&] { return !child.Inbox(first, WM_SYSCOMMAND).empty(); }));
    // Past the last tab nothing is asked.
    {
        BoxAnswerer never(launcher, 2);
        MiddleClick(TabRect(1).left + 30, 20);
        EXPECT_EQ(never.Answered(), 0);
    }
}

}  // namespace

TEST_F(Tabs, ThreeTabsArePaintedWithTheirLabels) {
    StartWithTabs(3);
    MoveTo(700, 300);  // the mouse over the page area, not the tabs
    const skintest::Pixels px = Background();
    ASSERT_GT(px.w, TabRect(3).right);

    // Tabs 0 and 1 show the same plain image; the current one, 2, another;
    // where a fourth would be, the caption shows.
    for (int y = 3; y < 25; ++y)
        for (int x = 2; x < 14; ++x)
            ASSERT_EQ(px.at(TabRect(0).left + x, y), px.at(TabRect(1).left + x, y)) << x << "," << y;
    bool currentDiffers = false, fourthDiffers = false;
    for (int y = 3; y < 25; ++y)
        for (int x = 2; x < 14; ++x) {
            currentDiffers |= px.at(TabRect(2).left + x, y) != px.at(TabRect(0).left + x, y);
            fourthDiffers |= px.at(TabRect(3).left + x, y) != px.at(TabRect(0).left + x, y);
        }
    EXPECT_TRUE(currentDiffers);
    EXPECT_TRUE(fourthDiffers);

    // Each label is written in its tab, and they differ.
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(TextPixels(px, i), 10) << "tab " << i;
    bool labelsDiffer = false;
    for (int y = 8; y < 22; ++y)
        for (int x = 0; x < 160; ++x)
            labelsDiffer |= px.at(TabLabelRect(0).left + x, y) != px.at(TabLabelRect(1).left + x, y);
    EXPECT_TRUE(labelsDiffer);
}

TEST_F(Tabs, TheMouseOverATabShowsItsCloseBoxAndTooltip) {
    StartWithTabs(3);
    ASSERT_TRUE(Maximised());  // the first page filled the work area
    MoveTo(700, 300);
    const skintest::Pixels plain = Background();

    // Over tab 0's body: hovered, its close box drawn, its label as tooltip.
    EXPECT_EQ(MoveTo(200, 12), HTCLIENT);
    EXPECT_EQ(Strip().Hover(), 0);
    EXPECT_EQ(Strip().CloseState(), ovn::launcher::CloseNormal);
    EXPECT_TRUE(Strip().TipActive());
    EXPECT_EQ(TipText(), L"acct0");
    const skintest::Pixels hovered = Background();
    EXPECT_TRUE(Differ(plain, hovered, TabCloseBoxRect(0)));
    EXPECT_TRUE(Differ(plain, hovered, Margin(0)));  // the hover image
    EXPECT_FALSE(Differ(plain, hovered, TabRect(1)));
    EXPECT_FALSE(Differ(plain, hovered, TabRect(2)));

    // Onto the close box: drawn hot, no tooltip.
    MoveTo(TabCloseBoxRect(0).left + 6, 9);
    EXPECT_EQ(Strip().CloseState(), ovn::launcher::CloseHot);
    EXPECT_FALSE(Strip().TipActive());
    const skintest::Pixels hot = Background();
    EXPECT_TRUE(Differ(hovered, hot, TabCloseBoxRect(0)));
    EXPECT_FALSE(Differ(hovered, hot, Margin(0)));

    // Tab 1 takes over; its label follows at the next move.
    MoveTo(400, 20);
    MoveTo(401, 20);
    EXPECT_EQ(Strip().Hover(), 1);
    EXPECT_TRUE(Strip().TipActive());
    EXPECT_EQ(TipText(), L"acct1");
    const skintest::Pixels second = Background();
    EXPECT_FALSE(Differ(plain, second, TabRect(0)));
    EXPECT_TRUE(Differ(plain, second, TabCloseBoxRect(1)));

    if (const char* path = std::getenv("OVN_TABS_SCREENSHOT")) {
        RedrawWindow(launcher, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpUntilIdle();
        std::wstring wide(path, path + std::strlen(path));
        SavePng(skintest::CaptureWindow(launcher), wide.c_str());
    }

    // Leaving the window takes the hover away.
    SendMessageW(launcher, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Strip().Hover(), -1);
    EXPECT_FALSE(Differ(plain, Background(), TabRect(1)));

    // The same in the normal state, where the band is caption: the frame's
    // answer stays, so the window can still be dragged by it.
    dlg.ToggleMaximize();
    ASSERT_FALSE(Maximised());
    SetWindowPos(launcher, nullptr, 20, 20, 1200, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(MoveTo(490, 5), HTCAPTION);
    EXPECT_EQ(Strip().Hover(), 1);
    EXPECT_EQ(Strip().CloseState(), ovn::launcher::CloseHot);
    EXPECT_TRUE(Differ(plain, Background(), TabCloseBoxRect(1)));
    MoveTo(600, 12);
    EXPECT_EQ(Strip().Hover(), 2);
    EXPECT_EQ(Strip().CloseState(), ovn::launcher::CloseNormal);
    MoveTo(600, 12);
    EXPECT_EQ(TipText(), L"acct2");
    EXPECT_EQ(MoveTo(700, 12), HTCAPTION);  // the caption beside the tabs
    EXPECT_EQ(Strip().Hover(), -1);
    SendMessageW(launcher, WM_NCMOUSELEAVE, 0, 0);
    EXPECT_EQ(Strip().Hover(), -1);
}

TEST_F(Tabs, ClicksInTheMaximisedWindow) {
    StartWithTabs(3);
    ASSERT_TRUE(Maximised());
    ClickThroughTheTabs();
}

TEST_F(Tabs, ClicksInTheNormalWindow) {
    StartWithTabs(3);
    dlg.ToggleMaximize();
    ASSERT_FALSE(Maximised());
    SetWindowPos(launcher, nullptr, 20, 20, 1200, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    ClickThroughTheTabs();
}

TEST_F(Tabs, ALongLabelIsCutAtTheCloseBox) {
    child.Plan("claim=" + std::string(60, 'W') + "\narrive=auto\n");
    dlg.SetChildProgram(child.Program());
    ASSERT_TRUE(dlg.CreateModeless());
    ShowWindow(dlg.hwnd(), SW_SHOW);
    launcher = dlg.hwnd();
    ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() == 1; }, 15000));
    MoveTo(700, 300);
    const skintest::Pixels px = Background();
    EXPECT_GT(TextPixels(px, 0), 100);
    // From the close box's columns to the tab's end only the tab image shows.
    const auto sum = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    for (int y = TabLabelRect(0).top; y < TabLabelRect(0).bottom; ++y)
        for (int x = TabCloseBoxRect(0).left; x < TabCloseBoxRect(0).right - 2; ++x)
            EXPECT_LT(std::abs(sum(px.at(x, y)) - sum(px.at(TabRect(0).left + 8, y))), 60) << x << "," << y;
}
