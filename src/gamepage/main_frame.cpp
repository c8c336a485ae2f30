#include "gamepage/main_frame.h"

#include <string>

#include "common/page_hosting.h"
#include "common/portal.h"
#include "common/protocol.h"
#include "framework/start_marks.h"
#include "gamepage/game_page_process.h"
#include "gamepage/game_page_rules.h"
#include "gamepage/gm_wnd_view.h"
#include "gamepage/fav_dlg.h"
#include "settings/hotkey_store.h"
#include "sound/sound_mute.h"
#include "process/process.h"

#include "res/resource.h"

namespace ovn {

using namespace gamepage;

bool CMainFrame::CreateGameFrame() {
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    RECT rect{0, 0, kInitialFrameSize, kInitialFrameSize};
    if (!CreateFrame(L"QuenraOrvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, rect, nullptr, icon))
        return false;
    return GameView() != nullptr;
}

CGmWndView* CMainFrame::GameView() const { return static_cast<CGmWndView*>(View()); }

std::unique_ptr<fw::Window> CMainFrame::CreateView() {
    auto view = std::make_unique<CGmWndView>();
    if (!view->CreateView(hwnd(), kViewId))
        return nullptr;
    return view;
}

LRESULT CMainFrame::OnCreate() {
    // A borderless window of the launcher without a taskbar button of its own.
    fw::ChangeStyle(hwnd(), 0, WS_CAPTION | WS_THICKFRAME);
    fw::ChangeExStyle(hwnd(), WS_EX_TOOLWINDOW, WS_EX_CLIENTEDGE | WS_EX_APPWINDOW);

    const bool owned = PageHostingHere() == PageHosting::Owned;
    // Topmost only on its way into the launcher as a child; an owned page over
    // every other program's windows would stay there when the player leaves.
    ::SetWindowPos(hwnd(), owned ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (::IsWindow(LauncherWnd)) {
        if (owned) {
            // A pop-up owned by the launcher: always over it, hidden and shown
            // with it, placed by it in screen coordinates.
            fw::ChangeStyle(hwnd(), WS_POPUP, WS_CHILD);
            ::SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(LauncherWnd));
        } else {
            // A real child (as the system asks before SetParent), so that
            // GetParent, IsChild and clipping treat the frame as part of the
            // launcher.
            fw::ChangeStyle(hwnd(), WS_CHILD, WS_POPUP);
            ::SetParent(hwnd(), LauncherWnd);
        }
        // Inside (or owned by) the launcher before asking: it takes only a window
        // that is already held the way it holds its pages.
        LPARAM hall = AdoptionLParam(State().StartUrl, portal::HallPageUrl());
        ::PostMessageW(LauncherWnd, kMsgAdoptFrame, reinterpret_cast<WPARAM>(hwnd()), hall);
        fw::RecordStartMark(fw::StartMark::AdoptionAsked);
    }
    m_hotkeys = ReadHotkeys();
    SetTimer(kTimerLauncherAlive, kLauncherAliveMs);
    return 0;
}

gamepage::FrameHotkeys CMainFrame::ReadHotkeys() {
    return {settings::ReadHotkeySetting(HotkeyId::Boss), settings::ReadHotkeySetting(HotkeyId::Switch),
            settings::ReadHotkeySetting(HotkeyId::Sound)};
}

bool CMainFrame::PreTranslateMessage(MSG& msg) {
    int modifiers = ModifierMask(::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_SHIFT) < 0,
                                 ::GetKeyState(VK_MENU) < 0);
    InputMessage m{msg.message, msg.wParam, msg.lParam, modifiers};
    CGmWndView* view = State().GameView;
    switch (DecideFrameMessage(m, m_hotkeys, view != nullptr)) {
    case FrameAction::ForwardToLauncher:
        ::PostMessageW(LauncherWnd, msg.message, msg.wParam, msg.lParam);
        return true;
    case FrameAction::AddFavourite: {
        if (m_bFavouriteOpen)
            return true;
        m_bFavouriteOpen = true;
        CFavDlg favourite(State().PageTitle, State().PageUrl);
        favourite.DoModal(PageDialogOwner());
        m_bFavouriteOpen = false;
        return true;
    }
    case FrameAction::RefreshPage:
        view->Refresh();
        return true;
    case FrameAction::Swallow:
        return true;
    case FrameAction::SweepThenStandard:
        SetTimer(kTimerScriptSweep, kScriptSweepMs);
        return false;
    case FrameAction::Standard:
        break;
    }
    // What the frame leaves alone, the page may use as its own accelerator.
    return view && view->TranslateAccelerator(msg);
}

void CMainFrame::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerLauncherAlive:
        if (!::IsWindow(LauncherWnd)) {
            // The launcher crashed or was killed. Going away with the window (and
            // the page's engine) before the loop ends keeps the engine's shutdown
            // ahead of the process's own.
            KillTimer(kTimerLauncherAlive);
            Destroy();
            ::PostQuitMessage(0);
        }
        break;
    case kTimerScriptSweep:
        KillTimer(kTimerScriptSweep);
        SweepScriptBoxes();
        break;
    case kTimerRaiseLauncher:
        KillTimer(kTimerRaiseLauncher);
        RaiseLauncher();
        break;
    default:
        break;
    }
}

namespace {

struct ScriptBoxSearch {
    std::wstring_view title;
    HWND found = nullptr;
};

BOOL CALLBACK FindScriptBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ScriptBoxSearch*>(param);
    wchar_t cls[16] = {}, text[64] = {};
    ::GetClassNameW(hwnd, cls, 16);
    ::GetWindowTextW(hwnd, text, 64);
    if (std::wstring_view(cls) == kScriptBoxClass && std::wstring_view(text) == search->title) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void CMainFrame::SweepScriptBoxes() {
    // Only this thread's boxes: another tab's process may show one with the same
    // caption, and it is not ours to close.
    for (std::wstring_view title : kScriptBoxTitles) {
        ScriptBoxSearch search{title};
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindScriptBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ::DestroyWindow(search.found);
            return;
        }
    }
}

void CMainFrame::RaiseLauncher() {
    // Raise the launcher to the top of the z-order without taking activation from
    // anybody: borrow the foreground thread's input state for the moment.
    HWND foreground = ::GetForegroundWindow();
    DWORD launcherThread = ::GetWindowThreadProcessId(LauncherWnd, nullptr);
    DWORD foregroundThread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached = launcherThread && foregroundThread && launcherThread != foregroundThread &&
                    ::AttachThreadInput(launcherThread, foregroundThread, TRUE);
    const UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    ::SetWindowPos(LauncherWnd, HWND_TOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(LauncherWnd, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    // An owned page is a window of its own: it comes back over the launcher,
    // and out of the topmost band the launcher's raise took it into.
    if (PageHostingHere() == PageHosting::Owned)
        ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (attached)
        ::AttachThreadInput(launcherThread, foregroundThread, FALSE);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_TIMER: {
        LRESULT result = Default();
        OnTimer(wParam);
        return result;
    }
    case WM_MOUSEACTIVATE:
        SetTimer(kTimerRaiseLauncher, kRaiseLauncherMs);
        return Default();
    case kMsgSoundState:
        if (m_mute.Update(wParam))
            sound::SetSoundMuted(wParam != 0 ? 1 : 0);
        return 0;
    case kMsgReloadHotkeys:
        m_hotkeys = ReadHotkeys();
        return 0;
    case WM_ENABLE:
        // An owned page's modal dialog disables the page alone: the launcher,
        // its tabs and its other pages wait for it too, as they do for a child's.
        if (PageHostingHere() == PageHosting::Owned && ::IsWindow(LauncherWnd))
            ::EnableWindow(LauncherWnd, wParam != 0);
        break;
    default:
        break;
    }
    return fw::FrameWindow::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn
