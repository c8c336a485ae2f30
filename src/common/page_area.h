// Where a page or the hall sits in the launcher window. The launcher places the
// window it shows there, and a page or hall process puts itself back there after
// each navigation, so both take it from here. Platform-free; client pixels.
#pragma once

#include "common/display_scale.h"

namespace ovn {

struct Box {  // left, top, width, height
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// Below the 30-pixel caption band (the tabs), inside the 4-pixel border of the
// launcher's client area. A launcher too small for that (it is 1 x 1 until its
// first page arrives) gives an empty box at the area's corner, never a negative size.
// The band and the border are 30 and 4 pixels at 100 %.
Box PageArea(int clientWidth, int clientHeight, DisplayScale scale = {});

}  // namespace ovn
