// What the launcher does with a message of its thread before it is dispatched:
// the window-switch key, keys it swallows, the close requests of its pages and of
// the player, and the refresh and add-favourite keys it hands to the page on show.
// Platform-free; the window reads the live state and carries the decision out.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/input.h"

namespace ovn::launcher {

struct LauncherState {
    std::size_t pages = 0;
    bool pendingProcess = false;  // a page is still logging in
    // What the launcher itself put on screen (never another process's own say).
    bool pageShown = false;
    bool hallShown = false;
    HotkeySetting switchKey;  // the window-switch hotkey
};

enum class LauncherAction {
    PassOn,               // not ours: tooltip relay, then the dialog's own handling
    SwitchPage,           // the window-switch key; eaten
    Swallow,              // eaten, nothing happens
    Exit,                 // leave the launcher without asking; eaten
    CheckPending,         // a page says it abandoned its login: see whether its process ended; eaten
    ForwardToPage,        // post the same message to the current page; eaten
    ForwardToHall,        // post the same message to the game hall; eaten
    RestoreThenPassOn,    // restore the still-empty window, then as PassOn
};

LauncherAction DecideLauncherMessage(const InputMessage& msg, const LauncherState& state);

// Whether the command of a title-strip control (its id) is carried out. Before
// the first page has arrived the launcher is a 1 x 1 window under the login:
// the hall, the system menu and the other-account prompt would open over an
// unfinished login, so their commands (whoever posts them) are ignored.
bool TitleCommandAllowed(unsigned controlId, bool pageArrived);

}  // namespace ovn::launcher
