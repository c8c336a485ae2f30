#include "gamepage/game_page_process.h"

#include <memory>

#include "common/log.h"
#include "common/page_hosting.h"
#include "common/portal.h"
#include "framework/app.h"
#include "gamepage/game_page_rules.h"
#include "gamepage/gm_wnd_view.h"
#include "gamepage/login_dlg.h"
#include "gamepage/main_frame.h"
#include "process/process.h"

namespace ovn {

namespace gamepage {

GamePageState& State() {
    static GamePageState state{portal::HallPageUrl(), {}, {}, nullptr};
    return state;
}

namespace {
std::unique_ptr<CMainFrame>& FrameSlot() {
    static std::unique_ptr<CMainFrame> frame;
    return frame;
}
}  // namespace

CMainFrame* GameFrame() { return FrameSlot().get(); }

HWND PageDialogOwner() {
    if (PageHostingHere() == PageHosting::Owned)
        if (CMainFrame* frame = GameFrame(); frame && frame->hwnd())
            return frame->hwnd();
    return LauncherWnd;
}

}  // namespace gamepage

bool RunGamePageProcess(StartMode mode) {
    // The handle comes from a command line anyone can write: a page that took
    // some other window (or HWND_BROADCAST) for its launcher would send it its
    // claims and close requests. Such a page ends at once and touches nothing.
    if (!IsOurLauncherWindow(LauncherWnd)) {
        LogFailureF(0, L"page: %p is no launcher window of this program; ending", static_cast<void*>(LauncherWnd));
        return false;
    }
    if (mode == ModeGamePage && gamepage::RunLogin(LauncherWnd) == IDCANCEL) {
        ::PostMessageW(LauncherWnd, WM_SYSCOMMAND, SC_CLOSE, CloseMarker);
        return false;
    }
    if (mode != ModeGamePage && mode != ModeGameHall)
        return false;
    auto& slot = gamepage::FrameSlot();
    if (slot)
        return false;  // one frame per process
    slot = std::make_unique<CMainFrame>();
    if (!slot->CreateGameFrame() || !slot->GameView()->OnInitialUpdate()) {
        slot.reset();
        return false;
    }
    if (fw::App* app = fw::App::Current())
        app->SetMainWindow(slot.get());
    ::SetWindowTextW(slot->hwnd(), L"QuenraOrvane");
    // Made hidden, it stays so until the launcher, having adopted it, shows it.
    // Hiding it here again could undo the launcher's show if that came first.
    ::UpdateWindow(slot->hwnd());
    return true;
}

}  // namespace ovn
