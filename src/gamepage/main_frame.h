// The game frame: a hidden top-level window that makes itself a borderless child
// of the launcher, holds the page's view, filters the keys of its thread before
// the page sees them and watches that the launcher is still there.
#pragma once
#include <windows.h>

#include "framework/frame.h"
#include "gamepage/game_page_rules.h"

namespace ovn {

class CGmWndView;

class CMainFrame : public fw::FrameWindow {
public:
    CMainFrame() = default;

    // Creates the frame 10 x 10, hidden, and its view; the frame introduces itself
    // to LauncherWnd on creation. The view does not navigate yet (see CGmWndView).
    bool CreateGameFrame();
    CGmWndView* GameView() const;

    bool PreTranslateMessage(MSG& msg) override;

    const gamepage::FrameHotkeys& Hotkeys() const { return m_hotkeys; }
    // The sound state last applied from the launcher's messages.
    const gamepage::MuteLatch& AppliedMute() const { return m_mute; }

protected:
    std::unique_ptr<fw::Window> CreateView() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    static gamepage::FrameHotkeys ReadHotkeys();
    void OnTimer(UINT_PTR id);
    void RaiseLauncher();
    void SweepScriptBoxes();

    gamepage::FrameHotkeys m_hotkeys;
    // Ctrl+D while the favourite dialog is open (typed, or posted by anyone)
    // reaches us through its modal loop: one dialog at a time.
    bool m_bFavouriteOpen = false;
    gamepage::MuteLatch m_mute;
};

}  // namespace ovn
