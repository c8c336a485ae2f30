// How a paint is cut into bands of rows that are each composed off screen and
// copied to the screen whole. Platform-free.
#pragma once
#include <vector>

namespace fw {

struct RowBand {
    int top;
    int bottom;  // past the last row
};

// The bands that cover rows [top, bottom) of something width pixels wide: in
// order, none empty, each at most maxBytes of 32-bit pixels (but never less
// than one row). Nothing for an empty range or a width of zero or less.
std::vector<RowBand> PaintBands(int top, int bottom, int width, long maxBytes);

}  // namespace fw
