// Hover tracking shared by the skinned controls that light up under the mouse.
#pragma once
#include <windows.h>

namespace ovn::skin {

// On a mouse move over control: asks the system once for a leave notice and a
// hover notice after 10 ms; tracking keeps whether that was granted, so that
// the next move does not ask again until the leave clears it.
void TrackHover(HWND control, bool& tracking);

// The hover notice (on) or the leave notice (off) came: the state changes and
// the control repaints; a leave also ends the tracking, so the next move asks again.
void SetHover(HWND control, bool& hover, bool& tracking, bool on);

}  // namespace ovn::skin
