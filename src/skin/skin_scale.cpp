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

const SkinDrawing* DrawingFor(unsigned id, int dpi, std::span<const SkinDrawing> drawings) {
    const SkinDrawing* above = nullptr;
    const SkinDrawing* below = nullptr;
    for (const SkinDrawing& d : drawings) {
        if (d.id != id || d.dpi <= 0)
            continue;
        if (d.dpi == dpi)
            return &d;
        if (d.dpi > dpi && (!above || d.dpi < above->dpi))
            above = &d;
        if (d.dpi < dpi && (!below || d.dpi > below->dpi))
            below = &d;
    }
    return above ? above : below;
}

std::vector<int> DrawnDpis(std::span<const SkinDrawing> drawings) {
    std::vector<int> dpis;
    for (const SkinDrawing& d : drawings)
        if (d.dpi > 0)
            dpis.push_back(d.dpi);
    std::sort(dpis.begin(), dpis.end());
    dpis.erase(std::unique(dpis.begin(), dpis.end()), dpis.end());
    return dpis;
}

namespace {

// How much of each source cell along one axis the target cells cover: target
// cell i spans [i * src / dst, (i + 1) * src / dst) in source cells, measured
// in units of 1 / dst of a source cell so that every weight is a whole number
// and a target cell's weights add up to src.
struct Span {
    int first = 0;
    std::vector<int> weights;
};

std::vector<Span> Coverage(int src, int dst) {
    std::vector<Span> spans(static_cast<std::size_t>(dst));
    for (int i = 0; i < dst; ++i) {
        const long long a = static_cast<long long>(i) * src, b = static_cast<long long>(i + 1) * src;
        Span& s = spans[static_cast<std::size_t>(i)];
        s.first = static_cast<int>(a / dst);
        for (long long c = s.first; c * dst < b; ++c) {
            const long long lo = std::max(a, c * dst), hi = std::min(b, (c + 1) * dst);
            s.weights.push_back(static_cast<int>(hi - lo));
        }
    }
    return spans;
}

}  // namespace

bool ResamplePremultiplied(const std::uint8_t* src, int srcW, int srcH, int srcStride, std::uint8_t* dst,
                           int dstW, int dstH, int dstStride) {
    if (!src || !dst || srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0 ||
        srcStride / 4 < srcW || dstStride / 4 < dstW)
        return false;
    const std::vector<Span> xs = Coverage(srcW, dstW), ys = Coverage(srcH, dstH);
    // One row of column sums at a time: the rows a target row covers, weighted.
    std::vector<std::uint64_t> rows(static_cast<std::size_t>(srcW) * 4);
    const std::uint64_t total = static_cast<std::uint64_t>(srcW) * static_cast<std::uint64_t>(srcH);
    for (int ty = 0; ty < dstH; ++ty) {
        const Span& sy = ys[static_cast<std::size_t>(ty)];
        std::fill(rows.begin(), rows.end(), 0);
        for (std::size_t j = 0; j < sy.weights.size(); ++j) {
            const std::uint8_t* line = src + static_cast<std::ptrdiff_t>(sy.first + static_cast<int>(j)) * srcStride;
            const std::uint64_t w = static_cast<std::uint64_t>(sy.weights[j]);
            for (int x = 0; x < srcW * 4; ++x)
                rows[static_cast<std::size_t>(x)] += w * line[x];
        }
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(ty) * dstStride;
        for (int tx = 0; tx < dstW; ++tx) {
            const Span& sx = xs[static_cast<std::size_t>(tx)];
            for (int c = 0; c < 4; ++c) {
                std::uint64_t sum = 0;
                for (std::size_t i = 0; i < sx.weights.size(); ++i)
                    sum += static_cast<std::uint64_t>(sx.weights[i]) *
                           rows[(static_cast<std::size_t>(sx.first) + i) * 4 + static_cast<std::size_t>(c)];
                out[tx * 4 + c] = static_cast<std::uint8_t>((sum + total / 2) / total);
            }
        }
    }
    return true;
}

}  // namespace ovn::skin
