// The accessible object of the page tab strip, handed out for the strip's
// keyboard window (tab_strip_win.h): the page-tab list and, as objects of their
// own, its tabs, each with its close box. The objects keep only the window and
// a tab's label; what they answer is asked of the window each time, so they
// outlive it harmlessly (a call then fails as disconnected).
#pragma once
#include <windows.h>

#include <string>

#include "launcher/tab_access.h"

namespace ovn {

// Sent to the strip's window with a launcher::TabListSnapshot* in lParam: the
// window fills it and answers 1.
UINT TabListSnapshotMessage();
// Posted to the strip's window by the objects: wParam 0 select, 1 close the
// tab lParam. Never run inside a client's call: closing asks a question first.
UINT TabListActionMessage();

// WM_GETOBJECT of the strip's window: its client object is the tab list.
LRESULT AnswerTabListObject(HWND strip, WPARAM wParam, LPARAM lParam, bool& handled);

}  // namespace ovn
