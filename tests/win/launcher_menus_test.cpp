// The launcher's menus as a player uses them: the system menu opened by a real
// click on the "系统" button, the tray menu through the icon's callback message
// (Wine's desktop here shows no notification area), each item's text read back
// from the open menu, and items chosen with the mouse or the keyboard. The
// launcher runs for real on the test thread; its pages are stand-in processes.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

#include "common/protocol.h"
#include "keys_test_support.h"
#include "launcher/tray_icon.h"
#include "launcher_test_support.h"
#include "open_menu.h"
#include "settings/setting_dlg.h"

using namespace launchertest;
using menutest::MenuEntry;
using menutest::OpenMenu;

namespace {

const std::vector<std::wstring> kSystemTexts = {L"刷新 (F5)", L"隐藏/恢复(Ctrl  +  Shift  +  H)", L"清除缓存", L"-",
                                                L"更新", L"设置...", L"版本号: 3.0.0.1"};
const std::vector<std::wstring> kTrayTexts = {L"刷新 (F5)", L"隐藏/恢复(Ctrl  +  Shift  +  H)", L"清除缓存", L"-",
                                              L"更新", L"设置...", L"退出"};

std::vector<std::wstring> Texts(const std::vector<MenuEntry>& items) {
    std::vector<std::wstring> texts;
    for (const MenuEntry& item : items)
        texts.push_back(item.text);
    return texts;
}

// Runs this thread's messages until everything posted to it so far has been
// handled: a marker posted behind them comes back. (A button clicked with the
// mouse keeps a system timer going, so the queue is never quite empty.) The
// marker goes to a window of its own, so that a modal loop of the launcher's (the
// clearing's message box) that runs meanwhile hands it on rather than drops it.
bool Flush() {
    static bool marked = false;
    static HWND marker = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM w, LPARAM l) CALLBACK -> LRESULT {
            if (msg == WM_APP + 99) {
                marked = true;
                return 0;
            }
            return DefWindowProcW(h, msg, w, l);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnMenuTestFlush";
        RegisterClassW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    marked = false;
    PostMessageW(marker, WM_APP + 99, 0, 0);
    return PumpUntil([] { return marked; }, 30000);
}

class LauncherMenus : public LauncherHost {
protected:
    void SetUp() override {
        LauncherHost::SetUp();
        ini.Set(L"ShortKey", L"6,72");  // Ctrl+Shift+H
    }
    HWND StartWithPage() {
        Start("arrive=auto\n");
        HWND page = WaitForPages(1);
        if (page) {
            PumpUntil([&] { return IsWindowVisible(page) != FALSE; });
            PumpUntil([&] { return dlg.TrayIconShown(); });  // added once the launcher has painted
        }
        return page;
    }
    // Opens a menu with `open` on this thread and, once the menu is on screen,
    // runs `inMenu` on another thread (the menu's loop runs here meanwhile);
    // returns when both are done and what the menu's command posted is handled.
    void WithMenu(const std::function<void()>& open, const std::function<void(const OpenMenu&)>& inMenu) {
        std::atomic<bool> done{false};
        std::thread player([&] {
            const OpenMenu menu = menutest::WaitForOpenMenu(GetCurrentProcessId());
            if (menu.window) {
                inMenu(menu);
                // A menu left open would hold this thread in its loop for good.
                if (!menutest::WaitForMenuClosed(GetCurrentProcessId(), 10000)) {
                    ADD_FAILURE() << "the menu stayed open";
                    for (int i = 0; i < 10 && menutest::FindOpenMenu(GetCurrentProcessId()).window; ++i) {
                        menutest::Key(VK_ESCAPE);
                        menutest::WaitForMenuClosed(GetCurrentProcessId(), 1000);
                    }
                }
            } else {
                ADD_FAILURE() << "no menu opened";
                // A menu loop entered without a menu on screen would hold this
                // thread for good: end it as the system does when it takes the mouse.
                PostMessageW(launcher, WM_CANCELMODE, 0, 0);
            }
            done = true;
        });
        open();
        PumpUntil([&] { return done.load(); }, 30000);
        player.join();
        EXPECT_TRUE(Flush()) << "a loop of the launcher's took the test's messages";
    }
    void ClickSystemButton() {
        // The page shown last took the focus; a player's click brings the
        // launcher back in front first.
        SetForegroundWindow(launcher);
        PumpUntil([&] { return GetForegroundWindow() == launcher; }, 5000);
        HWND button = GetDlgItem(launcher, IDC_BTN_MENU);
        RECT r{};
        GetWindowRect(button, &r);
        const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        // A click there must go to the button, not to a window over it.
        if (!PumpUntil([&] { return WindowFromPoint(at) == button; }, 5000))
            ADD_FAILURE() << "the system button is covered by window " << WindowFromPoint(at);
        menutest::ClickScreen(at);
    }
    void TrayClick(LPARAM mouseMessage) { PostMessageW(launcher, ovn::kMsgTrayCallback, 1, mouseMessage); }

    keystest::ScopedHotkeyIni ini;
};

}  // namespace

TEST_F(LauncherMenus, TheSystemButtonOpensItsMenuUnderItWithEveryItem) {
    HWND page = StartWithPage();
    ASSERT_NE(page, nullptr);
    RECT button{};
    GetWindowRect(GetDlgItem(launcher, IDC_BTN_MENU), &button);

    // Read back from the open menu; the version item does nothing.
    std::vector<MenuEntry> items;
    RECT placed{};
    WithMenu([&] { ClickSystemButton(); },
             [&](const OpenMenu& menu) {
                 items = menutest::ReadItems(menu.menu);
                 GetWindowRect(menu.window, &placed);
                 menutest::ChooseWithMouse(menu, 6);
             });
    EXPECT_EQ(Texts(items), kSystemTexts);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[6].id, 7u);
    for (const MenuEntry& item : items) {
        if (item.text != L"-") {
            EXPECT_EQ(item.state & (MFS_GRAYED | MFS_CHECKED), 0u) << "every item is plain and enabled";
        }
    }
    EXPECT_EQ(placed.left, button.left);
    EXPECT_EQ(placed.top, button.bottom + 2);

    BoxAnswerer none(launcher, 2);
    Flush();
    ASSERT_TRUE(IsWindow(page)) << dlg.Slots().PageCount();
    ASSERT_TRUE(child.Flush(page));
    EXPECT_TRUE(child.Inbox(page, WM_KEYDOWN).empty());
    EXPECT_EQ(none.Answered(), 0);
    EXPECT_EQ(ovn::settings::OpenSettingsDialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(launcher));

    // "刷新 (F5)", chosen at the keyboard, refreshes the page the launcher shows,
    // marked as the menu's and not a typed key...
    WithMenu([&] { ClickSystemButton(); }, [](const OpenMenu&) { menutest::ChooseWithKeys(0); });
    ASSERT_TRUE(child.Flush(page));
    ASSERT_EQ(child.Inbox(page, WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN)[0].wParam, static_cast<WPARAM>(VK_F5));
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN)[0].lParam, ovn::CloseMarker);

    // ...and the hall while it is shown (here from the tray menu).
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return dlg.HallWindow() && IsWindowVisible(dlg.HallWindow()); }, 15000));
    HWND hall = dlg.HallWindow();
    WithMenu([&] { TrayClick(WM_RBUTTONUP); }, [](const OpenMenu& menu) { menutest::ChooseWithMouse(menu, 0); });
    ASSERT_TRUE(child.Flush(hall));
    ASSERT_TRUE(child.Flush(page));
    ASSERT_EQ(child.Inbox(hall, WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(child.Inbox(hall, WM_KEYDOWN)[0].lParam, ovn::CloseMarker);
    EXPECT_EQ(child.Inbox(page, WM_KEYDOWN).size(), 1u);
}

TEST_F(LauncherMenus, BeforeTheFirstPageTheTrayAndTitleCommandsDoNothing) {
    Start("");  // no page yet: no icon, and its messages do nothing
    ASSERT_TRUE(child.WaitForLines(1));
    // A menu opened meanwhile would hold this thread in its loop: a watcher
    // notes it and closes it.
    std::atomic<bool> stop{false}, menuSeen{false};
    std::thread watcher([&] {
        while (!stop.load()) {
            if (menutest::FindOpenMenu(GetCurrentProcessId()).window) {
                menuSeen = true;
                PostMessageW(launcher, WM_CANCELMODE, 0, 0);
                menutest::Key(VK_ESCAPE);
            }
            Sleep(20);
        }
    });
    TrayClick(WM_LBUTTONUP);
    TrayClick(WM_RBUTTONUP);
    // The hall, the system menu and the other-account prompt, as their controls
    // post them (or anybody could), while the login is still open.
    for (int id : {IDC_BTN_HALL, IDC_BTN_MENU, IDC_LNK_OTHER_ACCOUNT})
        PostMessageW(launcher, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Flush();
    Flush();  // the menu button posts its menu behind the first marker
    stop = true;
    watcher.join();
    EXPECT_FALSE(menuSeen.load()) << "a menu opened";
    EXPECT_FALSE(dlg.Slots().HallShown()) << "the hall was started";
    EXPECT_EQ(dlg.m_addAccDlg.hwnd(), nullptr) << "the prompt was made";
    EXPECT_TRUE(IsWindowVisible(launcher));
    RECT r{};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 1);
}

TEST_F(LauncherMenus, TheTrayIconHidesRestoresAndOpensItsMenu) {
    ASSERT_NE(StartWithPage(), nullptr);

    // A left click hides everything and the next brings it back; other
    // messages, or another icon's, do nothing.
    TrayClick(WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(launcher); }));
    for (LPARAM other : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN})
        TrayClick(other);
    PostMessageW(launcher, ovn::kMsgTrayCallback, 2, WM_LBUTTONUP);
    Flush();
    EXPECT_FALSE(IsWindowVisible(launcher));
    TrayClick(WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(launcher) != FALSE; }));

    // Hidden again, a right click opens the tray menu; "隐藏/恢复" restores.
    TrayClick(WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(launcher); }));
    std::vector<MenuEntry> items;
    WithMenu([&] { TrayClick(WM_RBUTTONUP); },
             [&](const OpenMenu& menu) {
                 items = menutest::ReadItems(menu.menu);
                 menutest::ChooseWithMouse(menu, 1);
             });
    EXPECT_EQ(Texts(items), kTrayTexts);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[6].id, 6u);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(launcher) != FALSE; }));

    // "隐藏/恢复" in the system menu hides.
    WithMenu([&] { ClickSystemButton(); }, [](const OpenMenu& menu) { menutest::ChooseWithMouse(menu, 1); });
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(launcher); }));
}

// A marker window of the test thread, posted to from the player's thread while
// a menu's loop runs the test thread: once it comes back, everything posted to
// that thread before it has been handled.
class Marker {
public:
    Marker() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM w, LPARAM l) CALLBACK -> LRESULT {
            if (msg == WM_APP + 98) {
                ++*reinterpret_cast<std::atomic<int>*>(GetWindowLongPtrW(h, GWLP_USERDATA));
                return 0;
            }
            return DefWindowProcW(h, msg, w, l);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnMenuTestMarker";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_seen));
    }
    ~Marker() { DestroyWindow(m_window); }
    // From the other thread, without pumping.
    bool Behind() {
        const int before = m_seen.load();
        PostMessageW(m_window, WM_APP + 98, 0, 0);
        return menutest::PollUntil([&] { return m_seen.load() > before; }, 15000);
    }

private:
    HWND m_window = nullptr;
    std::atomic<int> m_seen{0};
};

// The menus the process shows now.
int OpenMenus(DWORD pid) {
    struct Count {
        DWORD pid;
        int n;
    } count{pid, 0};
    EnumWindows(
        [](HWND w, LPARAM lp) CALLBACK -> BOOL {
            auto* c = reinterpret_cast<Count*>(lp);
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (std::wstring(cls) == L"#32768" && IsWindowVisible(w) && owner == c->pid)
                ++c->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

TEST_F(LauncherMenus, RightClicksOnTheIconOpenOneMenuAtATime) {
    ASSERT_NE(StartWithPage(), nullptr);
    Marker marker;
    int shown = 0;
    WithMenu([&] { TrayClick(WM_RBUTTONUP); },
             [&](const OpenMenu&) {
                 for (int i = 0; i < 30; ++i)
                     TrayClick(WM_RBUTTONUP);
                 // Twice: each click posts its menu's request behind the first marker.
                 EXPECT_TRUE(marker.Behind() && marker.Behind());
                 shown = OpenMenus(GetCurrentProcessId());
                 for (int i = 0; i < 40 && menutest::FindOpenMenu(GetCurrentProcessId()).window; ++i) {
                     menutest::Key(VK_ESCAPE);
                     menutest::WaitForMenuClosed(GetCurrentProcessId(), 1000);
                 }
             });
    EXPECT_EQ(shown, 1);
}

TEST_F(LauncherMenus, SettingsOpenFromTheMenuAndTheBossKeyCancelsThem) {
    keystest::KeySender sender;
    ASSERT_NE(sender.hwnd(), nullptr);
    ASSERT_NE(StartWithPage(), nullptr);
    dlg.LoadHotkeys();  // Ctrl+Shift+H
    bool opened = false, cancelled = false;
    WithMenu([&] { ClickSystemButton(); },
             [&](const OpenMenu& menu) {
                 menutest::ChooseWithMouse(menu, 5);
                 // The settings dialog runs modally on the launcher's thread.
                 HWND settings = nullptr;
                 menutest::PollUntil([&] {
                     ovn::settings::CSettingDlg* open = ovn::settings::OpenSettingsDialog;
                     if (open && open->hwnd() && IsWindowVisible(open->hwnd()))
                         settings = open->hwnd();
                     return settings != nullptr;
                 }, 10000);
                 opened = settings != nullptr;
                 if (!opened)
                     return;
                 sender.TakeFocus();
                 sender.Type('H', 2 | 4);
                 cancelled = menutest::PollUntil([&] { return !IsWindow(settings); }, 10000);
             });
    EXPECT_TRUE(opened) << "no settings dialog";
    EXPECT_TRUE(cancelled) << "the boss key left the settings dialog open";
    EXPECT_EQ(ovn::settings::OpenSettingsDialog, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(launcher); }));
}

TEST_F(LauncherMenus, ClearingTheCacheSaysSoOnceTheWorkIsDone) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData), S_OK);
    const std::wstring flash = std::wstring(appData) + L"\\Macromedia\\Flash Player";
    const std::wstring shared = flash + L"\\#SharedObjects";
    const auto fill = [&] {
        SHCreateDirectoryExW(nullptr, (shared + L"\\site\\game").c_str(), nullptr);
        for (int i = 0; i < 400; ++i)
            std::ofstream((shared + L"\\site\\game\\s" + std::to_wstring(i) + L".sol").c_str()) << "shared object";
        return GetFileAttributesW(shared.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    ASSERT_TRUE(fill());
    const std::wstring log = std::wstring(appData) + L"\\ovn-clearing-test.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"OVN_LOG", log.c_str());
    ASSERT_NE(StartWithPage(), nullptr);

    // From the tray menu: the message comes once the folder is gone.
    bool goneWhenSaid = false;
    {
        BoxAnswerer ok(launcher, 1);
        ok.onSeen = [&] { goneWhenSaid = GetFileAttributesW(shared.c_str()) == INVALID_FILE_ATTRIBUTES; };
        WithMenu([&] { TrayClick(WM_RBUTTONUP); }, [](const OpenMenu& menu) { menutest::ChooseWithMouse(menu, 2); });
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }, 30000));
        EXPECT_EQ(ok.Text(), L"缓存清除完毕！");
    }
    EXPECT_TRUE(goneWhenSaid);

    // A second request while one runs starts no second clearing: one message.
    ASSERT_TRUE(fill());
    {
        BoxAnswerer ok(launcher, 1);
        PostMessageW(launcher, WM_TIMER, ovn::kTimerClearCache, 0);
        PostMessageW(launcher, WM_TIMER, ovn::kTimerClearCache, 0);
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }, 30000));
    }
    SetEnvironmentVariableW(L"OVN_LOG", nullptr);
    std::ifstream in(log.c_str());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("cache clearing asked for while it runs"), std::string::npos) << text;
    EXPECT_EQ(GetFileAttributesW(shared.c_str()), INVALID_FILE_ATTRIBUTES);
    in.close();
    DeleteFileW(log.c_str());
}
