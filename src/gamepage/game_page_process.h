// The game-page process (one tab's page, "/newgm") and the game-hall process
// ("/gmhall"): after start-up has initialised OLE, the login (page mode only),
// then the frame that makes itself a child of the launcher and shows the page.
#pragma once
#include <windows.h>

#include <string>

#include "common/protocol.h"

namespace ovn {

class CGmWndView;
class CMainFrame;

// Runs the login (ModeGamePage only) and creates the game frame with its view,
// hidden, adopted by the launcher (LauncherWnd), navigating to StartUrl, and
// made the application's main window. True: the caller runs the message loop,
// which ends when the frame is destroyed or the launcher is gone. False: the
// process ends now (login abandoned, after the close request to the launcher;
// or the frame could not be made). Call once, on the user-interface thread.
bool RunGamePageProcess(StartMode mode);

namespace gamepage {

// Process-wide state of a page or hall process.
struct GamePageState {
    std::wstring StartUrl;   // what the view opens; the hall page unless the login replaced it
    std::wstring PageUrl;    // the last completed navigation
    std::wstring PageTitle;  // the current document's title
    CGmWndView* GameView = nullptr;
};
GamePageState& State();

// The frame of this process once RunGamePageProcess made it, else null.
CMainFrame* GameFrame();

// The window a page's dialogs and message boxes are owned by. A child page goes
// with the launcher, so they are the launcher's; an owned page is a window of
// its own, and they are its frame's (they then stay over the page they came
// from however the launcher and its pages are raised), and the frame takes the
// launcher's input away with its own while they are up.
HWND PageDialogOwner();

}  // namespace gamepage

}  // namespace ovn
