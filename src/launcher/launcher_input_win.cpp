// The launcher's input: the system-wide keys (the low-level keyboard hook with
// the boss and sound keys, hiding and restoring everything, bringing the
// launcher in front, and loading the hotkeys, which the pages and the hall are
// told to reload too), and the tab strip's clicks and keys.
#include "launcher/kelvor3_dlg.h"

#include <windowsx.h>

#include <memory>

#include "common/log.h"
#include "common/protocol.h"
#include "launcher/keyboard_rules.h"
#include "settings/hotkey_store.h"
#include "settings/setting_dlg.h"

namespace ovn {

namespace {

struct HookDeleter {
    void operator()(HHOOK hook) const { ::UnhookWindowsHookEx(hook); }
};
// Process-wide, as the hook is.
std::unique_ptr<HHOOK__, HookDeleter> KeyboardHook;
// Boss keys seen by the hook and not yet acted on. Only the hook adds to it, so
// the same message posted by anybody else finds nothing to do.
int PendingHideToggles = 0;

// The modifiers held now. The hook runs for keys meant for any program, whose
// state this thread's own key state need not follow: the system's state does.
int HeldModifiers() {
    auto down = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
    return ModifierMask(down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU));
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && TheLauncher && lParam) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        switch (launcher::DecideHookKey(TheLauncher->Slots().PageCount(), static_cast<unsigned>(wParam), key->vkCode,
                                        HeldModifiers(), BossHotkey, SoundHotkey)) {
        case launcher::HookAction::ToggleHide:
            // Not inside the hook: bringing the launcher to the front talks to
            // the thread that has the focus, which may be waiting for this very
            // hook to return.
            if (HWND launcher = TheLauncher->hwnd()) {
                ++PendingHideToggles;
                ::PostMessageW(launcher, kMsgHookHideToggle, 0, 0);
            }
            break;
        case launcher::HookAction::ToggleSound:
            // The pages hear of it from the launcher's timer, within 400 ms.
            TheLauncher->m_bMuted = TheLauncher->m_bMuted ? 0 : 1;
            break;
        case launcher::HookAction::None:
            break;
        }
    }
    // Never swallowed: the focused program gets its keys as well.
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void CKelvor3Dlg::InstallKeyboardHook() {
    if (KeyboardHook)
        return;
    KeyboardHook.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHookProc, ::GetModuleHandleW(nullptr), 0));
    if (!KeyboardHook)
        LogFailure(L"keyboard hook not installed: no boss or sound key", ::GetLastError());
}

void CKelvor3Dlg::RemoveKeyboardHook() {
    KeyboardHook.reset();
    PendingHideToggles = 0;
}

bool CKelvor3Dlg::KeyboardHookInstalled() { return static_cast<bool>(KeyboardHook); }

void CKelvor3Dlg::LoadHotkeys() {
    BossHotkey = settings::ReadHotkeySetting(HotkeyId::Boss);
    SwitchHotkey = settings::ReadHotkeySetting(HotkeyId::Switch);
    m_processes.PostToPages(kMsgReloadHotkeys, 0, 0, true);
    SoundHotkey = settings::ReadHotkeySetting(HotkeyId::Sound);
}

void CKelvor3Dlg::RunPendingHideToggles() {
    if (PendingHideToggles <= 0)
        return;
    --PendingHideToggles;
    ToggleHideAll();
}

void CKelvor3Dlg::ToggleHideAll() {
    HWND h = hwnd();
    if (!h)
        return;
    if (::IsWindowVisible(h)) {
        // The pages and the hall are children: they go with the window.
        ::ShowWindow(h, SW_HIDE);
        if (m_addAccDlg.hwnd())
            ::ShowWindow(m_addAccDlg.hwnd(), SW_HIDE);
        settings::CSettingDlg* open = settings::OpenSettingsDialog;
        if (open && open->hwnd() && ::IsWindowVisible(open->hwnd()))
            open->EndDialog(IDCANCEL);
        return;
    }
    ::ShowWindow(h, SW_RESTORE);
    ForceForeground();
    if (m_clearingTurns.MessageWaiting())
        ::PostMessageW(h, kMsgCachesClearedNotice, 0, 0);  // a clearing finished while we were hidden
    if (m_updateTurns.MessageWaiting())
        ::PostMessageW(h, kMsgUpdateAnswerWaiting, 0, 0);  // so did an update check that found nothing
}

void CKelvor3Dlg::ForceForeground() {
    HWND h = hwnd();
    // The system lets the thread that has the input activate another window:
    // share its input state for the moment.
    HWND foreground = ::GetForegroundWindow();
    const DWORD self = ::GetCurrentThreadId();
    const DWORD other = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = other && other != self && ::AttachThreadInput(self, other, TRUE);
    ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(h);
    if (attached)
        ::AttachThreadInput(self, other, FALSE);
    m_processes.FollowLauncher(true);  // an owned page back over it, out of the topmost band
}

// The launcher's side: which of its messages the strip takes, and what the frame
// still does with them. In the normal state the frame calls the caption band
// caption, so the mouse messages over the tabs come as non-client ones (screen
// points); maximised, the band is client area and they come as client ones.
bool CKelvor3Dlg::HandleTabStripMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    const std::size_t tabs = Slots().PageCount();
    const auto clientPoint = [&] {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool screen = msg == WM_NCHITTEST || msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONUP ||
                            msg == WM_NCLBUTTONDBLCLK || msg == WM_NCMBUTTONUP;
        if (screen)
            ::ScreenToClient(hwnd(), &p);
        return p;
    };
    switch (msg) {
    case WM_NCHITTEST: {
        // The frame's answer stands: the normal window stays draggable by its caption.
        result = OnNcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        m_tabStrip.MouseAt(clientPoint(), tabs, Slots().Labels(), result == HTCAPTION);
        return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_LBUTTONDOWN: {
        // Over a tab the press selects it and never starts the caption's move loop.
        int show = -1;
        if (!m_tabStrip.Press(clientPoint(), tabs, static_cast<int>(Slots().Selected()), Slots().HallShown(), show))
            return false;
        if (show >= 0)
            ShowPage(PageWindow(static_cast<std::size_t>(show)));
        result = msg == WM_LBUTTONDOWN ? Default() : 0;
        return true;
    }
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: {
        const POINT p = clientPoint();
        if (!launcher::HitTestTabs(p.x, p.y, tabs, Scale()).Over())
            return false;
        const int close = launcher::TabStrip::ReleaseCloses(p.x, p.y, tabs, Scale());
        if (close >= 0)
            ClosePage(close);
        result = Default();
        return true;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK: {
        // A double click on a tab neither maximises nor restores the window.
        const POINT p = clientPoint();
        if (!launcher::HitTestTabs(p.x, p.y, tabs, Scale()).Over())
            return false;
        result = 0;
        return true;
    }
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP: {
        const POINT p = clientPoint();
        const int close = launcher::TabStrip::MiddleCloses(p.x, p.y, tabs, Scale());
        if (close < 0)
            return false;
        ClosePage(close);
        result = Default();
        return true;
    }
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        m_tabStrip.MouseLeft();
        return false;  // and the default processing
    }
    return false;
}

launcher::TabListSnapshot CKelvor3Dlg::Tabs() const {
    launcher::TabListSnapshot s = launcher::SnapshotTabs(Slots().Labels(), Slots().PageCount(), Slots().Selected(), false);
    s.scale = Scale();
    return s;
}

void CKelvor3Dlg::SelectTabFromKeyboard(int index) {
    const std::size_t at = static_cast<std::size_t>(index);
    if (index < 0 || at >= Slots().PageCount())
        return;
    const std::size_t was = Slots().Selected();
    // The page comes to the front, the keyboard stays on the strip.
    m_processes.ShowPage(PageWindow(at), true);
    for (std::size_t tab : {was, at}) {
        const launcher::Span r = launcher::TabRect(static_cast<int>(tab), Scale());
        InvalidateSpan(r.left, r.top, r.right, r.bottom);
    }
    m_tabStrip.Changed();
}

}  // namespace ovn
