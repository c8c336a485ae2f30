// Where the login artwork goes: its drawing (made for one scale) shown at the
// window's scale, whole and centred in the work area. The login page lies
// exactly over it. Platform-free.
#pragma once
#include "framework/placement.h"
#include "skin/skin_scale.h"

namespace ovn::gamepage {

// The artwork's rectangle on the screen: drawn x drawnDpi shown at scale.
fw::Area LoginArtworkPlace(skin::Size drawn, int drawnDpi, DisplayScale scale, const fw::Area& workArea);

}  // namespace ovn::gamepage
