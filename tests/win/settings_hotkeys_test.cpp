// The hotkey settings dialog with a running launcher: chords pressed in its
// boxes, the conflict refusal, what it writes, the launcher picking the new keys
// up at once, and the boss key cancelling it.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/protocol.h"
#include "keys_test_support.h"
#include "launcher_test_support.h"
#include "log_test_support.h"
#include "res/resource.h"
#include "settings/setting_dlg.h"
#include "settings_test_support.h"

using namespace launchertest;
using keystest::ScopedHotkeyIni;
using ovn::HotkeyId;

namespace {

constexpr int kCtrl = 2;
const std::wstring kCtrlWord = L"Ctrl  +  ";

std::wstring Text(HWND w) {
    wchar_t text[128] = {};
    GetWindowTextW(w, text, 128);
    return text;
}

class SettingsHotkeys : public LauncherHost {
protected:
    void SetUp() override {
        LauncherHost::SetUp();
        ASSERT_NE(sender.hwnd(), nullptr) << "the key sender did not start";
        Start("arrive=auto\n");
        page = WaitForPages(1);
        ASSERT_NE(page, nullptr);
    }
    // Types a chord into a box of the open dialog, as the player would.
    bool TypeInto(ovn::settings::CSettingDlg& settings, HotkeyId id, WORD vk, int mods, const std::wstring& expect) {
        // Activated first: activation puts the focus back where the dialog last had it.
        SetForegroundWindow(settings.hwnd());
        const bool active = PumpUntil([&] { return GetForegroundWindow() == settings.hwnd(); }, 5000);
        SetFocus(settings.Box(id));
        if (!active || !PumpUntil([&] { return GetFocus() == settings.Box(id); }, 5000)) {
            ADD_FAILURE() << "the dialog did not get the focus";
            return false;
        }
        sender.Type(vk, mods);
        const bool got = PumpUntil([&] { return Text(settings.Box(id)) == expect; }, 10000);
        if (!got)
            ADD_FAILURE() << "the box shows \"" << ::testing::PrintToString(Text(settings.Box(id)))
                          << "\", the focus is on " << GetFocus() << ", the foreground " << GetForegroundWindow()
                          << " (dialog " << settings.hwnd() << ")";
        return got;
    }

    ScopedHotkeyIni ini;
    keystest::KeySender sender;
    HWND page = nullptr;
};

}  // namespace

TEST_F(SettingsHotkeys, CapturesRefusesConflictsWritesAndTheLauncherReactsAtOnce) {
    ovn::settings::CSettingDlg settings;
    ASSERT_TRUE(settings.CreateModeless(launcher));
    ShowWindow(settings.hwnd(), SW_SHOW);
    EXPECT_EQ(ovn::settings::OpenSettingsDialog, &settings);
    EXPECT_EQ(Text(settings.Box(HotkeyId::Boss)), L"F10");
    EXPECT_EQ(Text(settings.Box(HotkeyId::Switch)), kCtrlWord + L"Tab");
    EXPECT_EQ(Text(settings.Box(HotkeyId::Sound)), kCtrlWord + L"Q");
    PumpUntilIdle();
    settingstest::SaveShot(settings.hwnd(), L"settings.png");

    ASSERT_TRUE(TypeInto(settings, HotkeyId::Sound, 'S', kCtrl, kCtrlWord + L"S"));
    // The same chord in the boss box: refused, nothing written, the dialog stays.
    ASSERT_TRUE(TypeInto(settings, HotkeyId::Boss, 'S', kCtrl, kCtrlWord + L"S"));
    {
        BoxAnswerer ok(nullptr, 1);
        PostMessageW(settings.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }));
        EXPECT_EQ(ok.Text(), L"热键冲突，请重新设置不同热键值");
    }
    PumpUntilIdle();
    EXPECT_FALSE(ScopedHotkeyIni::Exists());
    ASSERT_TRUE(IsWindow(settings.hwnd()));

    // Backspace clears the boss key; confirming writes all three and tells the launcher.
    ASSERT_TRUE(TypeInto(settings, HotkeyId::Boss, VK_BACK, 0, L"无"));
    PostMessageW(settings.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([&] { return settings.hwnd() == nullptr; }));
    EXPECT_EQ(ScopedHotkeyIni::Value(L"ShortKey"), L"0,0");
    EXPECT_EQ(ScopedHotkeyIni::Value(L"AltWndKey"), L"2,9");
    EXPECT_EQ(ScopedHotkeyIni::Value(L"SndKey"), L"2,83");
    EXPECT_EQ(ovn::settings::OpenSettingsDialog, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ovn::SoundHotkey == ovn::HotkeySetting{'S', kCtrl}; }));
    ASSERT_TRUE(child.Flush(page));
    EXPECT_EQ(child.Inbox(page, ovn::kMsgReloadHotkeys).size(), 1u);

    // The running launcher answers the new sound key, no longer the old one,
    // and the cleared boss key no longer hides it.
    ASSERT_TRUE(sender.TakeFocus());
    ASSERT_TRUE(sender.TypeAndWait('Q', kCtrl));
    EXPECT_EQ(dlg.m_bMuted, 0);
    ASSERT_TRUE(sender.TypeAndWait(VK_F10, 0));
    EXPECT_TRUE(IsWindowVisible(launcher));
    sender.Type('S', kCtrl);
    EXPECT_TRUE(PumpUntil([&] { return dlg.m_bMuted == 1; }));
}

// A focus change can bring the key state back to the display's keyboard between
// a modifier's key-down and the key's; the chord still has the modifier the box
// was told of. Posted keys leave the key state alone, so Ctrl reads as up here.
TEST_F(SettingsHotkeys, AModifierTheBoxSawGoDownCountsWhateverTheKeyStateSays) {
    ovn::settings::CSettingDlg settings;
    ASSERT_TRUE(settings.CreateModeless(launcher));
    ShowWindow(settings.hwnd(), SW_SHOW);
    HWND box = settings.Box(HotkeyId::Sound);
    SetFocus(box);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == box; }));
    ASSERT_FALSE(GetKeyState(VK_CONTROL) & 0x8000);
    PostMessageW(box, WM_KEYDOWN, VK_CONTROL, 0x001D0001);
    PostMessageW(box, WM_KEYDOWN, 'S', 0x001F0001);
    EXPECT_TRUE(PumpUntil([&] { return Text(box) == kCtrlWord + L"S"; })) << "the box shows " << ::testing::PrintToString(Text(box));
    // Once Ctrl is let go, a key alone is a key alone.
    PostMessageW(box, WM_KEYUP, VK_CONTROL, 0xC01D0001);
    PostMessageW(box, WM_KEYDOWN, 'D', 0x00200001);
    EXPECT_TRUE(PumpUntil([&] { return Text(box) == L"D"; })) << "the box shows " << ::testing::PrintToString(Text(box));
    settings.Destroy();
}

TEST_F(SettingsHotkeys, ASettingsFileThatRefusesWritesIsToldAndLogged) {
    // A settings file that refuses the write (on Windows, one the player has no
    // rights to; here, as Wine lets its root user write anything, one that
    // another program holds open without sharing).
    ScopedHotkeyIni::Set(L"SndKey", L"2,81");
    fw::FileHandle held(CreateFileW(ScopedHotkeyIni::Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    logtest::LogFile log;
    ovn::settings::CSettingDlg settings;
    ASSERT_TRUE(settings.CreateModeless(launcher));
    ShowWindow(settings.hwnd(), SW_SHOW);
    PumpUntilIdle();
    {
        BoxAnswerer ok(nullptr, 1);
        PostMessageW(settings.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_TRUE(PumpUntil([&] { return ok.Answered() == 1; }));
        EXPECT_EQ(ok.Text(), L"热键设置未能保存，请确认设置文件可以写入。");
    }
    PumpUntilIdle();
    held.reset();
    // Still open with the player's keys, and the file as it was.
    EXPECT_TRUE(IsWindow(settings.hwnd()));
    EXPECT_EQ(Text(settings.Box(HotkeyId::Boss)), L"F10");
    EXPECT_EQ(ScopedHotkeyIni::Value(L"ShortKey"), L"<none>") << "the file took a write it refused";
    EXPECT_EQ(ScopedHotkeyIni::Value(L"SndKey"), L"2,81");
    bool logged = false;
    for (const std::wstring& line : log.Lines())
        logged = logged || line.find(L"hotkey ShortKey not written to " + ScopedHotkeyIni::Path()) != std::wstring::npos;
    EXPECT_TRUE(logged) << "the refused write left no line in the log";
    settings.Destroy();
}

TEST_F(SettingsHotkeys, TheBossKeyCancelsAnOpenSettingsDialog) {
    ovn::settings::CSettingDlg settings;
    settingstest::DialogAnswerer press(L"设置", [&](HWND box) {
        // A chord typed in a box first: cancelling must not keep it.
        SetFocus(GetDlgItem(box, IDC_SET_SOUND_EDIT));
        SetWindowTextW(GetDlgItem(box, IDC_SET_SOUND_EDIT), (kCtrlWord + L"S").c_str());
        settings.m_nKeys[2] = 'S';
        sender.Type(VK_F10, 0);
    });
    EXPECT_EQ(settings.DoModal(launcher), IDCANCEL);
    EXPECT_TRUE(press.Answered());
    EXPECT_FALSE(IsWindowVisible(launcher));
    EXPECT_FALSE(ScopedHotkeyIni::Exists());
    EXPECT_EQ(ovn::settings::OpenSettingsDialog, nullptr);
}

namespace {

int g_lookAlikeReloads = 0;
WNDPROC g_lookAlikeProc = nullptr;
LRESULT CALLBACK CountReloads(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == ovn::kMsgHotkeysChanged)
        ++g_lookAlikeReloads;
    return CallWindowProcW(g_lookAlikeProc, h, msg, wParam, lParam);
}

}  // namespace

// The launcher's title and class are anybody's to take (our own message boxes
// bear them too): only the marked launcher window is told the keys changed.
TEST_F(SettingsHotkeys, OnlyTheLauncherIsToldAndNotAWindowThatLooksLikeIt) {
    HWND lookAlike = CreateWindowExW(0, L"#32770", L"QuenraOrvane", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(lookAlike, nullptr);
    g_lookAlikeReloads = 0;
    g_lookAlikeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(lookAlike, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountReloads)));
    ScopedHotkeyIni::Set(L"SndKey", L"2,83");
    ovn::settings::NotifyHotkeysChanged();
    EXPECT_TRUE(PumpUntil([&] { return ovn::SoundHotkey == ovn::HotkeySetting{'S', kCtrl}; }));
    PumpUntilIdle();
    EXPECT_EQ(g_lookAlikeReloads, 0);
    DestroyWindow(lookAlike);
}
