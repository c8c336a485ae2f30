// Geometry of the launcher window: the smallest size that leaves room for the
// tabs and the title-strip controls (the page area is shared with the pages:
// common/page_area.h; the tabs themselves are the tab strip's: tab_strip.h).
// Platform-free; rectangles are client pixels.
#pragma once
#include <array>
#include <cstddef>

#include "common/display_scale.h"
#include "common/page_area.h"
#include "launcher/tab_strip.h"

namespace ovn::launcher {

inline constexpr int kMinWidthBase = 483;
inline constexpr int kMinHeight = 260;

struct SizeClamp {
    bool adjust = false;  // false: leave the proposed size to the system
    int width = 0;
    int height = 0;
};
// With pages, the window may not be narrower than 483 + 189 per page nor lower
// than 260 (at 100 %); without pages any size is accepted.
SizeClamp ClampWindowSize(std::size_t pages, int width, int height, DisplayScale scale = {});

// The title-strip controls, placed from the right edge of the client area
// (their distances from it scaled by their edges, so they still meet).
struct TitleControlPlace {
    int id;  // IDC_BTN_HIDE ... IDC_LNK_OTHER_ACCOUNT
    Box box;
};
std::array<TitleControlPlace, 5> TitleStripLayout(int clientWidth, DisplayScale scale = {});

}  // namespace ovn::launcher
