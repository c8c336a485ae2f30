#include "framework/paint_bands.h"

#include <algorithm>

namespace fw {

std::vector<RowBand> PaintBands(int top, int bottom, int width, long maxBytes) {
    std::vector<RowBand> bands;
    if (bottom <= top || width <= 0)
        return bands;
    const long rowBytes = static_cast<long>(width) * 4;
    const long rows = std::max(1L, maxBytes / rowBytes);
    for (long at = top; at < bottom; at += rows)
        bands.push_back({static_cast<int>(at), static_cast<int>(std::min<long>(bottom, at + rows))});
    return bands;
}

}  // namespace fw
