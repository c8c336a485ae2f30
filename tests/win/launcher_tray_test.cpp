// The launcher's tray icon when the taskbar restarts: the system forgets every
// icon and says so to every top-level window with the registered
// "TaskbarCreated" message; the launcher adds its icon again.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <windows.h>

#include "launcher/tray_icon.h"
#include "launcher_test_support.h"

using namespace launchertest;

namespace {

// Whether the system holds an icon of window with id 1 (only an icon it holds
// can be modified).
bool IconThere(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    wcscpy(data.szTip, L"QuenraOrvane");
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class LauncherTray : public LauncherHost {};

}  // namespace

TEST_F(LauncherTray, TheIconIsAddedAgainWhenTheTaskbarIsCreatedAfresh) {
    Start("arrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return dlg.TrayIconShown(); }));
    ASSERT_TRUE(IconThere(launcher));

    // The taskbar restarts: its icons are gone (as here, deleted behind the
    // launcher's back), and the new one says so.
    for (int restart = 0; restart < 2; ++restart) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = launcher;
        data.uID = 1;
        ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
        ASSERT_FALSE(IconThere(launcher));
        const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
        ASSERT_NE(created, 0u);
        EXPECT_EQ(created, ovn::TrayIcon::TaskbarCreatedMessage());
        SendMessageW(launcher, created, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return IconThere(launcher); })) << restart;
        EXPECT_TRUE(dlg.TrayIconShown());
    }
}
