// Geometry of the launcher window: the smallest size that leaves room for the
// tabs, the title-strip controls and the tab rectangles that are repainted when
// tabs come and go (the page area is shared with the pages: common/page_area.h).
// Platform-free; rectangles are client pixels.
#pragma once
#include <array>
#include <cstddef>

#include "common/page_area.h"

namespace ovn::launcher {

struct Span {  // left, top, right, bottom (right and bottom exclusive)
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Span&, const Span&) = default;
};

inline constexpr int kMinWidthBase = 483;
inline constexpr int kTabWidth = 189;
inline constexpr int kMinHeight = 260;
inline constexpr int kTabStripLeft = 120;

struct SizeClamp {
    bool adjust = false;  // false: leave the proposed size to the system
    int width = 0;
    int height = 0;
};
// With pages, the window may not be narrower than 483 + 189 per page nor lower
// than 260; without pages any size is accepted.
SizeClamp ClampWindowSize(std::size_t pages, int width, int height);

// The title-strip controls, placed from the right edge of the client area.
struct TitleControlPlace {
    int id;  // IDC_BTN_HIDE ... IDC_LNK_OTHER_ACCOUNT
    Box box;
};
std::array<TitleControlPlace, 5> TitleStripLayout(int clientWidth);

// A whole tab, and the strip from its left edge to the end of n tabs.
Span TabRect(std::size_t index);
Span TabCloseBoxRect(std::size_t index);
Span TabStripRect(std::size_t tabs);  // x 120 to 120 + 189 n, y 3 to 25
// What closing a tab repaints: from the strip's left to the right of n + 1 tabs.
Span TabStripAfterCloseRect(std::size_t tabsLeft);

}  // namespace ovn::launcher
