// Which drawing of a skin image a window uses, and how large an image drawn
// for one scale is at another. The skins are drawn for a few scales; a window
// lays itself out at the scale of the drawing it picked, so every frame piece,
// button and tab meets its bitmap pixel for pixel and nothing is stretched
// into a blur. Platform-free.
#pragma once
#include <span>

#include "common/display_scale.h"
#include "skin/skin_geometry.h"

namespace ovn::skin {

// The drawing nearest to the window's DPI among those given (in any order);
// a tie goes to the larger, which shrinks rather than grows. 96 when none.
int NearestDrawnDpi(int windowDpi, std::span<const int> drawnDpis);

// The size of an image drawn at drawnDpi when shown at scale: each side scaled
// by scale / drawnDpi, rounded half to the larger, at least one pixel (an empty side stays empty).
Size SizeAt(Size drawn, int drawnDpi, DisplayScale scale);

}  // namespace ovn::skin
