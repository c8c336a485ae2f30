// The launcher as a screen reader and the keyboard reach it, with the launcher
// run for real (modeless on the test thread) and stand-in page processes as its
// tabs: every control's name and role read back through the system's
// accessibility client, the tab strip as a page-tab list that follows the tabs,
// and the strip driven with real key input.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include "access_test_support.h"
#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher/tab_strip.h"
#include "launcher_test_support.h"
#include "skin/dlg_ex.h"
#include "skin_test_support.h"

using accesstest::ReadObject;
using accesstest::ReadWindow;
using launchertest::BoxAnswerer;
using launchertest::PumpUntil;
using launchertest::PumpUntilIdle;
using ovn::launcher::TabRect;

namespace {

// What listeners were told about the strip's window: (event, child).
std::vector<std::pair<DWORD, LONG>> g_events;
HWND g_eventWindow = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == g_eventWindow && object == OBJID_CLIENT)
        g_events.emplace_back(event, child);
}

bool Told(DWORD event, LONG child) {
    for (const auto& e : g_events)
        if (e.first == event && e.second == child)
            return true;
    return false;
}

class Access : public launchertest::LauncherHost {
protected:
    void SetUp() override {
        LauncherHost::SetUp();
        CoInitialize(nullptr);
    }
    void TearDown() override {
        LauncherHost::TearDown();
        CoUninitialize();
    }
    HWND Strip() const { return dlg.m_tabStrip.KeyWindow(); }

    // The tab list's tabs as read: each child object's name and state.
    std::vector<accesstest::Read> TabsRead() {
        std::vector<accesstest::Read> tabs;
        IAccessible* list = accesstest::ClientObject(Strip());
        if (!list)
            return tabs;
        long count = 0;
        list->get_accChildCount(&count);
        for (long i = 1; i <= count; ++i) {
            VARIANT id;
            VariantInit(&id);
            id.vt = VT_I4;
            id.lVal = i;
            IDispatch* child = nullptr;
            IAccessible* tab = nullptr;
            if (list->get_accChild(id, &child) == S_OK && child &&
                SUCCEEDED(child->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&tab)))) {
                tabs.push_back(ReadObject(tab));
                tab->Release();
            } else {
                tabs.push_back({});
            }
            if (child)
                child->Release();
        }
        list->Release();
        return tabs;
    }
    std::vector<std::wstring> TabNames() {
        std::vector<std::wstring> names;
        for (const accesstest::Read& r : TabsRead())
            names.push_back(r.name);
        return names;
    }
    int SelectedRead() {
        int selected = -1, at = 0;
        for (const accesstest::Read& r : TabsRead()) {
            if (r.state & STATE_SYSTEM_SELECTED)
                selected = selected < 0 ? at : -2;  // one only
            ++at;
        }
        return selected;
    }

    // A key typed on the keyboard, as the system delivers it to the focus.
    static void Key(WORD vk, WORD modifier = 0) {
        INPUT in[4] = {};
        int n = 0;
        const auto add = [&](WORD key, bool up) {
            in[n].type = INPUT_KEYBOARD;
            in[n].ki.wVk = key;
            in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            ++n;
        };
        if (modifier)
            add(modifier, false);
        add(vk, false);
        add(vk, true);
        if (modifier)
            add(modifier, true);
        SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
    }
    skintest::Pixels Background() {
        RECT c = {};
        GetClientRect(launcher, &c);
        return skintest::EraseIntoBitmap(launcher, c.right, c.bottom);
    }
};

TEST_F(Access, EveryControlIsReadByItsNameAndRole) {
    StartWithTabs(1);
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_btnClose.hwnd() && dlg.m_btnSound.hwnd(); }));
    struct Row {
        const char* control;
        HWND window;
        const wchar_t* name;
        long role;
    };
    // The first page filled the work area: the maximise button restores.
    const Row rows[] = {
        {"caption close", dlg.m_btnClose.hwnd(), L"关闭", ROLE_SYSTEM_PUSHBUTTON},
        {"caption maximise/restore", dlg.m_btnMaximize.hwnd(), dlg.m_bMaximized ? L"还原" : L"最大化",
         ROLE_SYSTEM_PUSHBUTTON},
        {"caption minimise", dlg.m_btnMinimize.hwnd(), L"最小化", ROLE_SYSTEM_PUSHBUTTON},
        {"boss key", dlg.m_btnHide.hwnd(), L"隐藏/恢复", ROLE_SYSTEM_PUSHBUTTON},
        {"sound", dlg.m_btnSound.hwnd(), L"静音", ROLE_SYSTEM_PUSHBUTTON},
        {"system menu", dlg.m_btnMenu.hwnd(), L"系统", ROLE_SYSTEM_PUSHBUTTON},
        {"game hall", dlg.m_btnHall.hwnd(), L"游戏大厅", ROLE_SYSTEM_PUSHBUTTON},
        {"other account", dlg.m_lnkOtherAccount.hwnd(), L"登录其他账号", ROLE_SYSTEM_LINK},
    };
    for (const Row& row : rows) {
        const accesstest::Read r = ReadWindow(row.window);
        accesstest::PrintRow(row.control, r);
        EXPECT_TRUE(r.ok) << row.control;
        EXPECT_EQ(r.name, row.name) << row.control;
        EXPECT_EQ(r.role, row.role) << row.control;
    }
    IAccessible* list = accesstest::ClientObject(Strip());
    ASSERT_TRUE(list);
    accesstest::PrintRow("tab strip", ReadObject(list));
    EXPECT_EQ(ReadObject(list).role, ROLE_SYSTEM_PAGETABLIST);
    list->Release();

    // The restore button is the maximise button again once the window is restored.
    dlg.ToggleMaximize();
    EXPECT_EQ(ReadWindow(dlg.m_btnMaximize.hwnd()).name, dlg.m_bMaximized ? L"还原" : L"最大化");

    // The sound button reads as pressed while the sound is off.
    EXPECT_FALSE(ReadWindow(dlg.m_btnSound.hwnd()).state & STATE_SYSTEM_PRESSED);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_SOUND, BN_CLICKED), 0);
    EXPECT_TRUE(ReadWindow(dlg.m_btnSound.hwnd()).state & STATE_SYSTEM_PRESSED);
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_SOUND, BN_CLICKED), 0);
    EXPECT_FALSE(ReadWindow(dlg.m_btnSound.hwnd()).state & STATE_SYSTEM_PRESSED);

    // The skinned message box's buttons, read while it asks.
    std::vector<accesstest::Read> buttons;
    BoxAnswerer no(launcher, 2);
    no.onSeen = [&] {
        HWND box = GetForegroundWindow();
        for (int id : {ovn::skin::kMessageBoxButton1, ovn::skin::kMessageBoxButton2})
            for (HWND w : {box, GetLastActivePopup(launcher)})
                if (HWND b = GetDlgItem(w, id)) {
                    buttons.push_back(ReadWindow(b));
                    break;
                }
    };
    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return no.Answered() == 1; }));
    ASSERT_EQ(buttons.size(), 2u);
    accesstest::PrintRow("message box yes", buttons[0]);
    accesstest::PrintRow("message box no", buttons[1]);
    EXPECT_EQ(buttons[0].name, L"是");
    EXPECT_EQ(buttons[1].name, L"否");
    EXPECT_EQ(buttons[0].role, ROLE_SYSTEM_PUSHBUTTON);
}

TEST_F(Access, TheTabListFollowsTheTabs) {
    StartWithTabs(3);
    IAccessible* list = accesstest::ClientObject(Strip());
    ASSERT_TRUE(list);
    const accesstest::Read self = ReadObject(list);
    EXPECT_EQ(self.role, ROLE_SYSTEM_PAGETABLIST);
    EXPECT_EQ(TabNames(), (std::vector<std::wstring>{L"acct0", L"acct1", L"acct2"}));
    EXPECT_EQ(SelectedRead(), 2);
    for (const accesstest::Read& tab : TabsRead()) {
        EXPECT_EQ(tab.role, ROLE_SYSTEM_PAGETAB);
        EXPECT_TRUE(tab.state & STATE_SYSTEM_FOCUSABLE);
        EXPECT_TRUE(tab.state & STATE_SYSTEM_SELECTABLE);
    }

    // Each tab holds its close box, a push button over the tab's corner.
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = 2;
    IDispatch* child = nullptr;
    ASSERT_EQ(list->get_accChild(id, &child), S_OK);
    IAccessible* second = nullptr;
    ASSERT_TRUE(SUCCEEDED(child->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&second))));
    child->Release();
    long inside = 0;
    EXPECT_EQ(second->get_accChildCount(&inside), S_OK);
    EXPECT_EQ(inside, 1);
    const accesstest::Read close = ReadObject(second, 1);
    EXPECT_EQ(close.name, L"关闭");
    EXPECT_EQ(close.role, ROLE_SYSTEM_PUSHBUTTON);
    long x = 0, y = 0, w = 0, h = 0;
    VARIANT box;
    VariantInit(&box);
    box.vt = VT_I4;
    box.lVal = 1;
    ASSERT_EQ(second->accLocation(&x, &y, &w, &h, box), S_OK);
    POINT corner{ovn::launcher::TabCloseBoxRect(1).left, ovn::launcher::TabCloseBoxRect(1).top};
    ClientToScreen(launcher, &corner);
    EXPECT_EQ(x, corner.x);
    EXPECT_EQ(y, corner.y);
    EXPECT_EQ(w, 13);

    // Listeners are told of selection, removal and creation.
    g_eventWindow = Strip();
    g_events.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SELECTION, nullptr, &OnWinEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);

    // Selected from the list: the page follows.
    VARIANT self2;
    VariantInit(&self2);
    self2.vt = VT_I4;
    self2.lVal = CHILDID_SELF;
    EXPECT_EQ(second->accSelect(SELFLAG_TAKESELECTION, self2), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 1; }));
    EXPECT_EQ(SelectedRead(), 1);
    EXPECT_TRUE(PumpUntil([&] { return Told(EVENT_OBJECT_SELECTION, 2); }, 5000));

    // The middle tab closed: the list has the other two, and the object of
    // the closed tab is disconnected, not another tab's.
    {
        BoxAnswerer yes(launcher, 1);
        dlg.ClosePage(1);
        EXPECT_EQ(yes.Answered(), 1);
    }
    EXPECT_EQ(TabNames(), (std::vector<std::wstring>{L"acct0", L"acct2"}));
    EXPECT_EQ(SelectedRead(), dlg.Slots().Selected() == 0 ? 0 : 1);
    BSTR gone = nullptr;
    EXPECT_TRUE(FAILED(second->get_accName(self2, &gone)));
    SysFreeString(gone);
    second->Release();
    EXPECT_TRUE(PumpUntil([&] { return Told(EVENT_OBJECT_DESTROY, 2); }, 5000));

    // A new tab comes in at the end, current.
    dlg.RequestOtherAccount(1);
    ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() == 3; }, 15000));
    EXPECT_EQ(TabNames().size(), 3u);
    EXPECT_EQ(SelectedRead(), 2);
    EXPECT_TRUE(PumpUntil([&] { return Told(EVENT_OBJECT_CREATE, 3) && Told(EVENT_OBJECT_SELECTION, 3); }, 5000));
    UnhookWinEvent(hook);
    list->Release();
}

TEST_F(Access, TheKeyboardReachesAndDrivesTheTabs) {
    StartWithTabs(3);
    ovn::SwitchHotkey = {9, 2};  // Ctrl+Tab
    SetForegroundWindow(launcher);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == launcher; }, 5000));

    // From the first button, Shift+Tab goes back to the strip: its first tab stop.
    SetFocus(dlg.m_btnHide.hwnd());
    ASSERT_EQ(GetFocus(), dlg.m_btnHide.hwnd());
    const skintest::Pixels unfocused = Background();
    Key(VK_TAB, VK_SHIFT);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Strip(); }, 5000)) << "focus on " << GetFocus();
    PumpUntilIdle();

    // The current tab bears the focus mark, and reads as focused.
    const skintest::Pixels focused = Background();
    const ovn::launcher::Span t = TabRect(2);
    bool marked = false;
    for (int yy = t.top; yy < t.bottom && !marked; ++yy)
        for (int xx = t.left; xx < t.right && !marked; ++xx)
            marked = focused.at(xx, yy) != unfocused.at(xx, yy);
    EXPECT_TRUE(marked) << "no focus mark on the current tab";
    EXPECT_TRUE(TabsRead().at(2).state & STATE_SYSTEM_FOCUSED);

    // The arrows, Home and End select, and the keyboard stays on the strip.
    Key(VK_LEFT);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 1; }, 5000));
    EXPECT_EQ(dlg.CurrentPage(), dlg.PageWindow(1));
    Key(VK_HOME);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 0; }, 5000));
    Key(VK_LEFT);  // no wrapping
    Key(VK_END);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 2; }, 5000));
    EXPECT_EQ(GetFocus(), Strip());
    EXPECT_EQ(SelectedRead(), 2);

    // Delete asks to close the current tab; "No" keeps it.
    {
        BoxAnswerer no(launcher, 2);
        Key(VK_DELETE);
        ASSERT_TRUE(PumpUntil([&] { return no.Answered() == 1; }, 5000));
        EXPECT_EQ(no.Text(), L"确定要退出账号：acct2 ?");
    }
    EXPECT_EQ(dlg.Slots().PageCount(), 3u);
    // "Yes" closes it.
    SetForegroundWindow(launcher);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == launcher; }, 5000));
    SetFocus(Strip());
    {
        BoxAnswerer yes(launcher, 1);
        Key(VK_DELETE);
        ASSERT_TRUE(PumpUntil([&] { return yes.Answered() == 1; }, 5000));
    }
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() == 2; }, 5000));
    EXPECT_EQ(TabNames(), (std::vector<std::wstring>{L"acct0", L"acct1"}));

    // Ctrl+Tab still switches to the next tab.
    SetForegroundWindow(launcher);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == launcher; }, 5000));
    SetFocus(Strip());
    const std::size_t before = dlg.Slots().Selected();
    Key(VK_TAB, VK_CONTROL);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == (before + 1) % 2; }, 5000));
}

}  // namespace
