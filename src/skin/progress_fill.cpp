#include "skin/progress_fill.h"

#include <algorithm>

namespace ovn::skin {

ProgressLayout LayoutProgress(Size background, Size bar) {
    ProgressLayout l;
    l.control = Rect{0, 0, background.cx, background.cy};
    const int x0 = (background.cx - bar.cx) / 2;
    const int y0 = (background.cy - bar.cy) / 2;
    l.bar = Rect{x0, y0, x0 + bar.cx, y0 + bar.cy};
    return l;
}

int ProgressFilledWidth(int barWidth, int pos, int lower, int upper) {
    if (upper == lower || barWidth <= 0)
        return 0;
    // Divided before multiplying and truncated: 390 pixels at 1 % make 3.
    const double filled = static_cast<double>(barWidth) / (static_cast<double>(upper) - lower) * pos;
    // A position outside the range (the lower bound is not taken off) must not
    // read pixels from outside the fill image.
    if (!(filled > 0))
        return 0;
    return filled >= barWidth ? barWidth : static_cast<int>(filled);
}

std::vector<Blit> ProgressFillPieces(const Rect& bar, int pos, int lower, int upper) {
    std::vector<Blit> pieces;
    const int barW = bar.Width(), barH = bar.Height();
    const int filled = ProgressFilledWidth(barW, pos, lower, upper);
    if (barH <= 0)
        return pieces;
    const int half = filled / 2;
    const int rest = filled - half;
    if (half > 0)
        pieces.push_back(Blit{Rect{bar.left, bar.top, bar.left + half, bar.top + barH}, Rect{0, 0, half, barH}});
    if (rest > 0)
        pieces.push_back(Blit{Rect{bar.left + half, bar.top, bar.left + filled, bar.top + barH},
                              Rect{barW - rest, 0, barW, barH}});
    return pieces;
}

}  // namespace ovn::skin
