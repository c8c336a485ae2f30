#include "skin/skin_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace ovn::skin {

// ---------------------------------------------------------------------------
// Pixels

Bgra KeyPixel(Bgra src, std::uint32_t keyColor) {
    if (src.a == 0) {
        return Bgra{static_cast<std::uint8_t>((keyColor >> 16) & 0xFF),
                    static_cast<std::uint8_t>((keyColor >> 8) & 0xFF),
                    static_cast<std::uint8_t>(keyColor & 0xFF), 0};
    }
    if (src.a == 255)
        return Bgra{src.b, src.g, src.r, 0};
    // Over white: (A*c + 255*(255 - A)) / 255, rounded down; never negative.
    const int a = src.a;
    auto blend = [a](std::uint8_t c) {
        return static_cast<std::uint8_t>((a * (c - 255) + 65025) / 255);
    };
    return Bgra{blend(src.b), blend(src.g), blend(src.r), 0};
}

bool ConvertToKeyedBottomUp(const std::uint8_t* src, int srcStride, int width, int height,
                            std::uint8_t* dst, int dstStride, std::uint32_t keyColor) {
    if (!src || !dst || width <= 0 || height <= 0)
        return false;
    const long long rowBytes = 4LL * width;
    if (std::llabs(static_cast<long long>(srcStride)) < rowBytes || dstStride < rowBytes)
        return false;
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(i) * srcStride;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(height - 1 - i) * dstStride;
        for (int j = 0; j < width; ++j, s += 4, d += 4) {
            const Bgra out = KeyPixel(Bgra{s[0], s[1], s[2], s[3]}, keyColor);
            d[0] = out.b;
            d[1] = out.g;
            d[2] = out.r;
            d[3] = 0;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Frame painting

namespace {

Rect Xywh(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

// Adds one piece unless it has no area. An unscaled copy is clipped to the
// bitmap (a caption taller than the bitmap must not read outside it).
void AddPiece(std::vector<Blit>& out, int bmW, int bmH, Rect dst, Rect src, bool stretch) {
    if (!stretch) {
        const int w = std::min(src.Width(), bmW - src.left);
        const int h = std::min(src.Height(), bmH - src.top);
        if (src.left < 0 || src.top < 0)
            return;
        src.right = src.left + w;
        src.bottom = src.top + h;
        dst.right = dst.left + w;
        dst.bottom = dst.top + h;
    } else if (src.left < 0 || src.top < 0 || src.right > bmW || src.bottom > bmH) {
        return;
    }
    if (dst.Width() <= 0 || dst.Height() <= 0 || src.Width() <= 0 || src.Height() <= 0)
        return;
    out.push_back(Blit{dst, src, stretch});
}

}  // namespace

std::vector<Blit> FramePieces(int bmW, int bmH, int winW, int winH, const FrameMetrics& m,
                              bool stretch) {
    std::vector<Blit> out;
    if (bmW <= 0 || bmH <= 0 || winW <= 0 || winH <= 0)
        return out;
    const int B = std::max(0, m.border);
    const int T = m.captionHeight == -1 ? B : std::max(0, m.captionHeight);

    if (stretch) {
        AddPiece(out, bmW, bmH, Xywh(0, 0, B, T), Xywh(0, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(B, 0, winW - 2 * B, T), Xywh(B, 0, bmW - 2 * B, T), true);
        AddPiece(out, bmW, bmH, Xywh(winW - B, 0, B, T), Xywh(bmW - B, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(0, T, B, winH - T - B), Xywh(0, T, B, bmH - T - B), true);
        AddPiece(out, bmW, bmH, Xywh(winW - B, T, B, winH - T - B),
                 Xywh(bmW - B, T, B, bmH - T - B), true);
        AddPiece(out, bmW, bmH, Xywh(B, T, winW - 2 * B, winH - T - B),
                 Xywh(B, T, bmW - 2 * B, bmH - T - B), true);
    } else {
        // Windows drawn this way are fitted to their bitmap; a larger window only
        // gets what the bitmap has.
        AddPiece(out, bmW, bmH, Xywh(0, 0, winW, winH), Xywh(0, 0, winW, winH), false);
        AddPiece(out, bmW, bmH, Xywh(winW - B, 0, B, T), Xywh(bmW - B, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(winW - B, T, B, winH - T - B),
                 Xywh(bmW - B, T, B, bmH - T - B), true);
    }
    AddPiece(out, bmW, bmH, Xywh(0, winH - B, B, B), Xywh(0, bmH - B, B, B), false);
    AddPiece(out, bmW, bmH, Xywh(B, winH - B, winW - 2 * B, B), Xywh(B, bmH - B, bmW - 2 * B, B),
             true);
    AddPiece(out, bmW, bmH, Xywh(winW - B, winH - B, B, B), Xywh(bmW - B, bmH - B, B, B), false);
    return out;
}

FrameMetrics ScaledFrameMetrics(const FrameMetrics& m, DisplayScale scale) {
    return FrameMetrics{scale.Px(m.border), m.captionHeight == -1 ? -1 : scale.Px(m.captionHeight)};
}

CaptionLayout LayoutCaption(const FrameMetrics& m, bool hasIcon, int fontHeight, DisplayScale scale) {
    CaptionLayout c;
    const int C = m.captionHeight;
    c.iconX = m.border;
    c.iconY = C == -1 ? scale.Px(6) : (C - scale.Px(15)) / 2;
    c.titleX = (hasIcon ? scale.Px(16) : 0) + m.border + scale.Px(5);
    const int t = (C - std::abs(fontHeight) + 1) / 2;
    c.titleY = t < 0 ? scale.Px(4) : t - scale.Px(2);
    return c;
}

// ---------------------------------------------------------------------------
// Window shape

std::vector<PixelRun> CornerCutRuns(int bmW, int bmH, int winW, int winH,
                               const std::function<bool(int, int)>& isKey, DisplayScale scale) {
    std::vector<std::pair<int, int>> pixels;  // (row, column) of the window
    if (bmW <= 0 || bmH <= 0 || winW <= 0 || winH <= 0 || !isKey)
        return {};
    const int corner = scale.Px(9);
    const int cols = std::min(corner, bmW);
    auto testRow = [&](int by, int wy) {
        if (wy < 0 || wy >= winH)
            return;
        for (int j = 0; j < cols; ++j) {
            if (isKey(j, by) && j < winW)
                pixels.emplace_back(wy, j);
            if (isKey(bmW - 1 - j, by) && winW - 1 - j >= 0)
                pixels.emplace_back(wy, winW - 1 - j);
        }
    };
    for (int y = 0; y < corner && y < bmH; ++y)
        testRow(y, y);
    for (int y = std::max(0, bmH - corner); y < bmH; ++y)
        testRow(y, winH - (bmH - y));

    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    std::vector<PixelRun> runs;
    for (const auto& [row, col] : pixels) {
        if (!runs.empty() && runs.back().y == row && runs.back().x1 == col)
            ++runs.back().x1;
        else
            runs.push_back(PixelRun{row, col, col + 1});
    }
    return runs;
}

// ---------------------------------------------------------------------------
// Hit testing, moving and sizing

bool InCaptionBand(int y, int captionHeight) {
    return captionHeight == -1 || (y >= 0 && y < captionHeight);
}

FrameHit HitTestFrame(int x, int y, int w, int h, const FrameMetrics& m, const FrameState& s,
                      DisplayScale scale) {
    const int B = m.border;
    const int C = m.captionHeight;
    if (s.maximized)
        return FrameHit::Default;
    if (!s.resizable)
        return InCaptionBand(y, C) ? FrameHit::Caption : FrameHit::Default;

    const bool top = y >= 0 && y < B;
    const bool bottom = y >= h - B && y < h;
    if (x >= 0 && x < B)
        return top ? FrameHit::TopLeft : bottom ? FrameHit::BottomLeft : FrameHit::Left;
    if (x >= w - B && x < w)
        return top ? FrameHit::TopRight : bottom ? FrameHit::BottomRight : FrameHit::Right;
    // The top sizing band stays 3 pixels (at 100 %) whatever the border, so the
    // caption starts right below it.
    const int band = scale.Px(3);
    if (y >= 0 && y < band)
        return FrameHit::Top;
    if ((y >= band && y < C) || C == -1)
        return FrameHit::Caption;
    if (bottom)
        return FrameHit::Bottom;
    return FrameHit::Default;
}

unsigned SizeCommandFor(FrameHit hit) {
    constexpr unsigned kScSize = 0xF000;
    switch (hit) {
    case FrameHit::Left: return kScSize + 1;
    case FrameHit::Right: return kScSize + 2;
    case FrameHit::Top: return kScSize + 3;
    case FrameHit::TopLeft: return kScSize + 4;
    case FrameHit::TopRight: return kScSize + 5;
    case FrameHit::Bottom: return kScSize + 6;
    case FrameHit::BottomLeft: return kScSize + 7;
    case FrameHit::BottomRight: return kScSize + 8;
    default: return 0;
    }
}

Rect InitialRestoreRect(const Rect& wa) {
    const int w = wa.Width(), h = wa.Height();
    return Rect{w / 8, h / 8, wa.right - w / 8, wa.bottom - h / 8};
}

Rect MaximizedRect(const Rect& wa, Size maxSize) {
    Rect r = wa;
    if (r.Width() > maxSize.cx) {
        const int d = (r.Width() - maxSize.cx) / 2;
        r.left += d;
        r.right -= d;
    }
    if (r.Height() > maxSize.cy) {
        const int d = (r.Height() - maxSize.cy) / 2;
        r.top += d;
        r.bottom -= d;
    }
    return r;
}

std::vector<int> LayoutSystemButtons(int rightX, int gap, const std::vector<int>& widths,
                                     DisplayScale scale) {
    gap = scale.Px(gap);
    std::vector<int> lefts(widths.size(), 0);
    int x = rightX;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (widths[i] <= 0)
            continue;
        lefts[i] = x - widths[i];
        x = lefts[i] - gap;
    }
    return lefts;
}

// ---------------------------------------------------------------------------
// Image button

ButtonLook ChooseButtonCell(unsigned itemState, bool stickyPressed, bool hover) {
    if (itemState & (kOdsGrayed | kOdsDisabled))
        return ButtonLook{CellDisabled, stickyPressed};
    if ((itemState & kOdsSelected) || stickyPressed)
        return ButtonLook{CellPressed, true};
    return ButtonLook{hover ? CellHover : CellNormal, false};
}

Size StripCellSize(int stripW, int stripH) {
    if (stripW <= 0 || stripH <= 0)
        return Size{0, 0};
    return Size{stripW / 4, stripH};
}

}  // namespace ovn::skin
