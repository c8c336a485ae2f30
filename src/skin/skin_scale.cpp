#include "skin/skin_scale.h"

#include <algorithm>
#include <cstdlib>

namespace ovn::skin {

int NearestDrawnDpi(int windowDpi, std::span<const int> drawnDpis) {
    int best = 0;
    for (const int dpi : drawnDpis) {
        if (dpi <= 0)
            continue;
        const int d = std::abs(dpi - windowDpi), bestD = std::abs(best - windowDpi);
        if (best == 0 || d < bestD || (d == bestD && dpi > best))
            best = dpi;
    }
    return best == 0 ? DisplayScale::kBaseDpi : best;
}

Size SizeAt(Size drawn, int drawnDpi, DisplayScale scale) {
    if (drawnDpi <= 0)
        drawnDpi = DisplayScale::kBaseDpi;
    auto side = [&](int v) {
        if (v <= 0)
            return 0;
        const long long n = static_cast<long long>(v) * scale.Dpi();
        return std::max(1, static_cast<int>((n + drawnDpi / 2) / drawnDpi));
    };
    return Size{side(drawn.cx), side(drawn.cy)};
}

}  // namespace ovn::skin
