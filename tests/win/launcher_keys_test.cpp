// The launcher's keys as a player presses them in another program: keys typed
// with SendInput by another process, seen by the launcher's system-wide hook
// (the boss and sound keys) or by its own window (the window-switch key).
#include <gtest/gtest.h>
#include <windows.h>

#include "common/protocol.h"
#include "keys_test_support.h"
#include "launcher_test_support.h"
#include "res/resource.h"

using namespace launchertest;
using keystest::KeySender;

namespace {

constexpr int kCtrl = 2, kShift = 4;

class LauncherKeys : public LauncherHost {
protected:
    void SetUp() override {
        LauncherHost::SetUp();
        ASSERT_NE(sender.hwnd(), nullptr) << "the key sender did not start";
    }
    // Another tab, started as the add-account prompt asks for it.
    HWND AnotherPage() {
        const std::size_t n = dlg.Slots().PageCount();
        dlg.RequestOtherAccount(1);
        return WaitForPages(n + 1);
    }
    bool LastSoundState(HWND page, WPARAM state) {
        auto got = child.Inbox(page, ovn::kMsgSoundState);
        return !got.empty() && got.back().wParam == state;
    }

    keystest::ScopedHotkeyIni ini;  // nothing stored: the default keys
    KeySender sender;
};

}  // namespace

TEST_F(LauncherKeys, BossKeyBeforeTheFirstPageDoesNothing) {
    Start("");  // the page process never brings its window
    ASSERT_TRUE(sender.TakeFocus());
    ASSERT_TRUE(sender.TypeAndWait(VK_F10, 0));
    ASSERT_TRUE(sender.TypeAndWait('Q', kCtrl));
    EXPECT_TRUE(IsWindowVisible(launcher));
    EXPECT_EQ(dlg.m_bMuted, 0);
}

TEST_F(LauncherKeys, BossKeyHidesEverythingFromAnotherProgramAndRestoresInFront) {
    Start("arrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(page) != FALSE; }));
    ASSERT_TRUE(sender.TakeFocus());

    // Another modifier with the key is another chord.
    ASSERT_TRUE(sender.TypeAndWait(VK_F10, kShift));
    ASSERT_TRUE(sender.TypeAndWait(VK_F10, kCtrl));
    EXPECT_TRUE(IsWindowVisible(launcher));

    // F10 alone: the launcher goes with its page; the program that has the focus
    // got the key too.
    ASSERT_TRUE(sender.TypeAndWait(VK_F10, 0));
    EXPECT_FALSE(IsWindowVisible(launcher));
    EXPECT_FALSE(IsWindowVisible(page));
    EXPECT_TRUE(IsWindow(page));

    // Again: back, in front of the program that had the focus.
    sender.Type(VK_F10, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(launcher) && GetForegroundWindow() == launcher; }));
    EXPECT_TRUE(IsWindowVisible(page));

    // A stranger's copy of the hook's own message changes nothing.
    PostMessageW(launcher, ovn::kMsgHookHideToggle, 0, 0);
    PumpUntilIdle();
    EXPECT_TRUE(IsWindowVisible(launcher));

    // The hook lives as long as the launcher: gone once it exits.
    EXPECT_TRUE(ovn::CKelvor3Dlg::KeyboardHookInstalled());
    dlg.ExitLauncher();
    EXPECT_FALSE(ovn::CKelvor3Dlg::KeyboardHookInstalled());
    PumpUntilIdle();
}

TEST_F(LauncherKeys, SoundKeyMutesEveryPageAndAgainRestores) {
    Start("arrive=auto\n");
    HWND first = WaitForPages(1);
    ASSERT_NE(first, nullptr);
    HWND second = AnotherPage();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return LastSoundState(first, 0) && LastSoundState(second, 0); }));
    ASSERT_TRUE(sender.TakeFocus());

    sender.Type('Q', kCtrl);
    EXPECT_TRUE(PumpUntil([&] { return LastSoundState(first, 1) && LastSoundState(second, 1); }));
    EXPECT_TRUE(PumpUntil([&] { return ovn::LastSoundImage == 1; }));
    EXPECT_EQ(dlg.m_bMuted, 1);

    sender.Type('Q', kCtrl);
    EXPECT_TRUE(PumpUntil([&] { return LastSoundState(first, 0) && LastSoundState(second, 0); }));
    EXPECT_TRUE(PumpUntil([&] { return ovn::LastSoundImage == 0; }));

    // Ctrl+Shift+Q is not the sound key.
    ASSERT_TRUE(sender.TypeAndWait('Q', kCtrl | kShift));
    EXPECT_EQ(dlg.m_bMuted, 0);
}

TEST_F(LauncherKeys, SwitchKeyMovesTabsOnlyWhenTheLauncherHasTheFocus) {
    Start("arrive=auto\n");
    ASSERT_NE(WaitForPages(1), nullptr);
    ASSERT_NE(AnotherPage(), nullptr);
    ASSERT_EQ(dlg.Slots().Selected(), 1u);

    // In the launcher (in front since it showed its pages) Ctrl+Tab moves on,
    // from the last tab back to the first. The focus goes to one of its own
    // controls: the dialog may have left it on the page (a stand-in here, which
    // forwards nothing).
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == launcher; }));
    HWND own = GetDlgItem(launcher, IDC_BTN_HIDE);
    SetFocus(own);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == own; }));
    sender.Type(VK_TAB, kCtrl);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 0u; }));
    sender.Type(VK_TAB, kCtrl);
    EXPECT_TRUE(PumpUntil([&] { return dlg.Slots().Selected() == 1u; }));
    EXPECT_EQ(sender.Downs(VK_TAB), 0);

    // In another program Ctrl+Tab is that program's.
    ASSERT_TRUE(sender.TakeFocus());
    ASSERT_TRUE(sender.TypeAndWait(VK_TAB, kCtrl));
    EXPECT_EQ(dlg.Slots().Selected(), 1u);
}

TEST_F(LauncherKeys, HotkeysComeFromStatisticIniAndReachThePages) {
    keystest::ScopedHotkeyIni::Set(L"SndKey", L"2,83");       // Ctrl+S
    keystest::ScopedHotkeyIni::Set(L"ShortKey", L"-1,121");   // does not read: F10
    keystest::ScopedHotkeyIni::Set(L"AltWndKey", L"0,9999");  // does not read: Ctrl+Tab
    Start("arrive=auto\n");
    HWND page = WaitForPages(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ovn::SoundHotkey, (ovn::HotkeySetting{83, 2}));
    EXPECT_EQ(ovn::BossHotkey, (ovn::HotkeySetting{121, 0}));
    EXPECT_EQ(ovn::SwitchHotkey, (ovn::HotkeySetting{9, 2}));

    // Told that the keys changed, the launcher reads them again and tells its
    // page and the hall.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return dlg.HallWindow() != nullptr; }, 15000));
    keystest::ScopedHotkeyIni::Set(L"SndKey", L"6,77");  // Ctrl+Shift+M
    PostMessageW(launcher, ovn::kMsgHotkeysChanged, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return ovn::SoundHotkey == ovn::HotkeySetting{77, 6}; }));
    ASSERT_TRUE(child.Flush(page));
    ASSERT_TRUE(child.Flush(dlg.HallWindow()));
    EXPECT_EQ(child.Inbox(page, ovn::kMsgReloadHotkeys).size(), 1u);
    EXPECT_EQ(child.Inbox(dlg.HallWindow(), ovn::kMsgReloadHotkeys).size(), 1u);
}
