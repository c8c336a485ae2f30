#include "skin/skin_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

using namespace ovn::skin;

namespace {

Rect Xywh(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

// The small-dialog frame: rows 0, 1, 2 lose their outer 3, 2, 1 pixels on each
// side; the bottom corners are square.
bool RoundedTopKey(int bmW, int x, int y) {
    const int cut = y < 3 ? 3 - y : 0;
    return x < cut || x >= bmW - cut;
}

}  // namespace

TEST(KeyPixel, TransparentOpaqueAndBlended) {
    const Bgra key{0xFF, 0x00, 0xFF, 0};
    EXPECT_EQ(KeyPixel({10, 20, 30, 0}), key);
    EXPECT_EQ(KeyPixel({0, 0, 0, 0}), key);
    EXPECT_EQ(KeyPixel({10, 20, 30, 255}), (Bgra{10, 20, 30, 0}));
    EXPECT_EQ(KeyPixel({255, 0, 255, 255}), (Bgra{255, 0, 255, 0}));
    // red 0, green 128, blue 255 at alpha 128 -> red 127, green 191, blue 255
    EXPECT_EQ(KeyPixel({255, 128, 0, 128}), (Bgra{255, 191, 127, 0}));
    EXPECT_EQ(KeyPixel({0, 0, 0, 1}).r, 254);
    EXPECT_EQ(KeyPixel({0, 0, 0, 254}).r, 1);
    EXPECT_EQ(KeyPixel({200, 200, 200, 77}), (Bgra{238, 238, 238, 0}));
    // Another key colour lands in the right bytes (COLORREF is 0x00BBGGRR).
    EXPECT_EQ(KeyPixel({1, 2, 3, 0}, 0x00112233u), (Bgra{0x11, 0x22, 0x33, 0}));
}

TEST(KeyPixel, NoBlendedPixelIsTheKey) {
    for (int a = 1; a < 255; ++a)
        for (int c = 0; c < 256; c += 5) {
            const auto v = static_cast<std::uint8_t>(c);
            EXPECT_NE(KeyPixel({v, 0, v, static_cast<std::uint8_t>(a)}), (Bgra{255, 0, 255, 0}))
                << a << " " << c;
        }
}

TEST(ConvertToKeyedBottomUp, FlipsRowsAndKeysPixels) {
    // 2 x 2 image, rows top-down: top row opaque red then transparent, bottom row
    // half-transparent black then opaque blue. Source rows have padding.
    const int srcStride = 12;
    std::vector<std::uint8_t> src = {
        0, 0, 255, 255, 9, 9, 9, 0, 0xAA, 0xAA, 0xAA, 0xAA,  // row 0 + padding
        0, 0, 0, 128, 255, 0, 0, 255, 0xAA, 0xAA, 0xAA, 0xAA,  // row 1 + padding
    };
    std::vector<std::uint8_t> dst(16, 0x77);
    ASSERT_TRUE(ConvertToKeyedBottomUp(src.data(), srcStride, 2, 2, dst.data(), 8));
    // dst row 0 is the image's bottom row.
    const std::vector<std::uint8_t> want = {
        127, 127, 127, 0, 255, 0, 0, 0,  // bottom row
        0, 0, 255, 0, 255, 0, 255, 0,    // top row: red, key
    };
    EXPECT_EQ(dst, want);

    EXPECT_FALSE(ConvertToKeyedBottomUp(src.data(), srcStride, 0, 2, dst.data(), 8));
    EXPECT_FALSE(ConvertToKeyedBottomUp(src.data(), srcStride, 2, 0, dst.data(), 8));
    EXPECT_FALSE(ConvertToKeyedBottomUp(nullptr, srcStride, 2, 2, dst.data(), 8));
    EXPECT_FALSE(ConvertToKeyedBottomUp(src.data(), 4, 2, 2, dst.data(), 8));
    EXPECT_FALSE(ConvertToKeyedBottomUp(src.data(), srcStride, 2, 2, dst.data(), 4));
}

TEST(FramePieces, NineSliceOfTheSmallFrame) {
    // 30 x 51 bitmap over 260 x 128 with B 4 and a 30-pixel caption.
    const auto p = FramePieces(30, 51, 260, 128, FrameMetrics{4, 30}, true);
    const std::vector<Blit> want = {
        {Xywh(0, 0, 4, 30), Xywh(0, 0, 4, 30), false},
        {Xywh(4, 0, 252, 30), Xywh(4, 0, 22, 30), true},
        {Xywh(256, 0, 4, 30), Xywh(26, 0, 4, 30), false},
        {Xywh(0, 30, 4, 94), Xywh(0, 30, 4, 17), true},
        {Xywh(256, 30, 4, 94), Xywh(26, 30, 4, 17), true},
        {Xywh(4, 30, 252, 94), Xywh(4, 30, 22, 17), true},
        {Xywh(0, 124, 4, 4), Xywh(0, 47, 4, 4), false},
        {Xywh(4, 124, 252, 4), Xywh(4, 47, 22, 4), true},
        {Xywh(256, 124, 4, 4), Xywh(26, 47, 4, 4), false},
    };
    EXPECT_EQ(p, want);

    // Without a caption band the top row is the border's height.
    const auto q = FramePieces(30, 51, 100, 100, FrameMetrics{3, -1}, true);
    ASSERT_EQ(q.size(), 9u);
    EXPECT_EQ(q[0].dst, Xywh(0, 0, 3, 3));
    EXPECT_EQ(q[3].src, Xywh(0, 3, 3, 45));
}

TEST(FramePieces, UnscaledAndDegenerate) {
    // A pop-up fitted to its 250 x 191 frame: one whole copy, right column, bottom row.
    const auto p = FramePieces(250, 191, 250, 191, FrameMetrics{3, 0}, false);
    ASSERT_EQ(p.size(), 5u);  // the top-right piece has no height with caption 0
    EXPECT_EQ(p[0], (Blit{Xywh(0, 0, 250, 191), Xywh(0, 0, 250, 191), false}));
    EXPECT_EQ(p[1], (Blit{Xywh(247, 0, 3, 188), Xywh(247, 0, 3, 188), true}));
    EXPECT_EQ(p[4], (Blit{Xywh(247, 188, 3, 3), Xywh(247, 188, 3, 3), false}));

    // Larger window than bitmap: the copy reads only what the bitmap has.
    const auto big = FramePieces(50, 40, 80, 60, FrameMetrics{0, 0}, false);
    ASSERT_FALSE(big.empty());
    EXPECT_EQ(big[0], (Blit{Xywh(0, 0, 50, 40), Xywh(0, 0, 50, 40), false}));

    // Window narrower than its two borders: no mirrored (negative) blits.
    for (const auto& b : FramePieces(30, 51, 6, 20, FrameMetrics{4, 30}, true)) {
        EXPECT_GT(b.dst.Width(), 0);
        EXPECT_GT(b.dst.Height(), 0);
        EXPECT_GT(b.src.Width(), 0);
        EXPECT_LE(b.src.right, 30);
        EXPECT_LE(b.src.bottom, 51);
    }
    EXPECT_TRUE(FramePieces(0, 51, 100, 100, FrameMetrics{}, true).empty());
}

TEST(LayoutCaption, IconAndTitlePositions) {
    // Caption 30, font height -12: icon y 7, title t = (30-12+1)/2 = 9 -> y 7.
    const auto a = LayoutCaption(FrameMetrics{4, 30}, true, -12);
    EXPECT_EQ(a.iconX, 4);
    EXPECT_EQ(a.iconY, 7);
    EXPECT_EQ(a.titleX, 16 + 4 + 5);
    EXPECT_EQ(a.titleY, 7);
    // Whole-window caption: icon at 6, title at 4.
    const auto b = LayoutCaption(FrameMetrics{3, -1}, false, -12);
    EXPECT_EQ(b.iconY, 6);
    EXPECT_EQ(b.titleX, 8);
    EXPECT_EQ(b.titleY, 4);
    // t of exactly 0 is not negative.
    EXPECT_EQ(LayoutCaption(FrameMetrics{3, 11}, false, 12).titleY, -2);
}

TEST(CornerCutRuns, SmallFrameOver800x600CutsSixPixelsPerTopCorner) {
    auto key = [](int x, int y) { return RoundedTopKey(30, x, y); };
    const auto runs = CornerCutRuns(30, 51, 800, 600, key);
    const std::vector<PixelRun> want = {
        {0, 0, 3}, {0, 797, 800}, {1, 0, 2}, {1, 798, 800}, {2, 0, 1}, {2, 799, 800},
    };
    EXPECT_EQ(runs, want);
}

TEST(CornerCutRuns, BottomCornersMapToWindowBottomAndOnlyNineByNineCounts) {
    // Every bitmap pixel is key: only the four 9 x 9 corners are cut.
    auto all = [](int, int) { return true; };
    const auto runs = CornerCutRuns(40, 40, 100, 50, all);
    ASSERT_EQ(runs.size(), 36u);
    EXPECT_EQ(runs.front(), (PixelRun{0, 0, 9}));
    EXPECT_EQ(runs[1], (PixelRun{0, 91, 100}));
    EXPECT_EQ(runs.back(), (PixelRun{49, 91, 100}));
    EXPECT_EQ(runs[18], (PixelRun{41, 0, 9}));

    // A pixel at bitmap row bmH-1 lands on the window's last row.
    auto one = [](int x, int y) { return x == 0 && y == 39; };
    EXPECT_EQ(CornerCutRuns(40, 40, 100, 50, one), (std::vector<PixelRun>{{49, 0, 1}}));

    // A window smaller than the corners keeps every cut inside it, merged.
    for (const auto& r : CornerCutRuns(40, 40, 5, 4, all)) {
        EXPECT_GE(r.y, 0);
        EXPECT_LT(r.y, 4);
        EXPECT_GE(r.x0, 0);
        EXPECT_LE(r.x1, 5);
    }
    EXPECT_EQ(CornerCutRuns(40, 40, 5, 4, all).size(), 4u);
}

TEST(HitTestFrame, ResizableFrameWithCaption30) {
    const FrameMetrics m{4, 30};
    const FrameState s{false, true};
    const int W = 800, H = 600;
    EXPECT_EQ(HitTestFrame(0, 0, W, H, m, s), FrameHit::TopLeft);
    EXPECT_EQ(HitTestFrame(3, 3, W, H, m, s), FrameHit::TopLeft);
    EXPECT_EQ(HitTestFrame(3, 4, W, H, m, s), FrameHit::Left);
    EXPECT_EQ(HitTestFrame(0, 596, W, H, m, s), FrameHit::BottomLeft);
    EXPECT_EQ(HitTestFrame(799, 0, W, H, m, s), FrameHit::TopRight);
    EXPECT_EQ(HitTestFrame(796, 300, W, H, m, s), FrameHit::Right);
    EXPECT_EQ(HitTestFrame(796, 599, W, H, m, s), FrameHit::BottomRight);
    // Top band is 3 pixels even though B is 4.
    EXPECT_EQ(HitTestFrame(400, 2, W, H, m, s), FrameHit::Top);
    EXPECT_EQ(HitTestFrame(400, 3, W, H, m, s), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(400, 29, W, H, m, s), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(400, 30, W, H, m, s), FrameHit::Default);
    EXPECT_EQ(HitTestFrame(400, 596, W, H, m, s), FrameHit::Bottom);
    EXPECT_EQ(HitTestFrame(400, 595, W, H, m, s), FrameHit::Default);
    // Maximised: everything is left to the system.
    EXPECT_EQ(HitTestFrame(0, 0, W, H, m, FrameState{true, true}), FrameHit::Default);
    EXPECT_EQ(HitTestFrame(400, 10, W, H, m, FrameState{true, false}), FrameHit::Default);
}

TEST(HitTestFrame, CaptionMinusOneAndZero) {
    const int W = 300, H = 200;
    // Resizable, whole-window caption: bottom band drags, corners and sides size.
    const FrameState rs{false, true};
    EXPECT_EQ(HitTestFrame(150, 199, W, H, FrameMetrics{3, -1}, rs), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(150, 100, W, H, FrameMetrics{3, -1}, rs), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(150, 0, W, H, FrameMetrics{3, -1}, rs), FrameHit::Top);
    EXPECT_EQ(HitTestFrame(0, 199, W, H, FrameMetrics{3, -1}, rs), FrameHit::BottomLeft);
    EXPECT_EQ(HitTestFrame(299, 100, W, H, FrameMetrics{3, -1}, rs), FrameHit::Right);
    // Fixed frame, whole-window caption: every point drags.
    const FrameState fs{false, false};
    EXPECT_EQ(HitTestFrame(0, 0, W, H, FrameMetrics{3, -1}, fs), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(299, 199, W, H, FrameMetrics{3, -1}, fs), FrameHit::Caption);
    // Caption 0: nothing drags.
    EXPECT_EQ(HitTestFrame(10, 0, W, H, FrameMetrics{3, 0}, fs), FrameHit::Default);
    EXPECT_EQ(HitTestFrame(150, 100, W, H, FrameMetrics{3, 0}, fs), FrameHit::Default);
    EXPECT_EQ(HitTestFrame(150, 1, W, H, FrameMetrics{3, 0}, rs), FrameHit::Top);
    EXPECT_EQ(HitTestFrame(150, 5, W, H, FrameMetrics{3, 0}, rs), FrameHit::Default);
    // Fixed frame, caption 30: the band drags, the rest does not, borders don't size.
    EXPECT_EQ(HitTestFrame(0, 0, W, H, FrameMetrics{4, 30}, fs), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(150, 29, W, H, FrameMetrics{4, 30}, fs), FrameHit::Caption);
    EXPECT_EQ(HitTestFrame(0, 30, W, H, FrameMetrics{4, 30}, fs), FrameHit::Default);
    EXPECT_EQ(HitTestFrame(299, 199, W, H, FrameMetrics{4, 30}, fs), FrameHit::Default);
}

TEST(SizeCommandFor, EdgesAndNonEdges) {
    EXPECT_EQ(SizeCommandFor(FrameHit::Left), 0xF001u);
    EXPECT_EQ(SizeCommandFor(FrameHit::Right), 0xF002u);
    EXPECT_EQ(SizeCommandFor(FrameHit::Top), 0xF003u);
    EXPECT_EQ(SizeCommandFor(FrameHit::TopLeft), 0xF004u);
    EXPECT_EQ(SizeCommandFor(FrameHit::TopRight), 0xF005u);
    EXPECT_EQ(SizeCommandFor(FrameHit::Bottom), 0xF006u);
    EXPECT_EQ(SizeCommandFor(FrameHit::BottomLeft), 0xF007u);
    EXPECT_EQ(SizeCommandFor(FrameHit::BottomRight), 0xF008u);
    EXPECT_EQ(SizeCommandFor(FrameHit::Caption), 0u);
    EXPECT_EQ(SizeCommandFor(FrameHit::Default), 0u);
}

TEST(MaximizeGeometry, CentresOnALargerWorkAreaAndInsetsTheRestore) {
    const Size max{1920, 1040};
    EXPECT_EQ(MaximizedRect(Rect{0, 0, 1920, 1040}, max), (Rect{0, 0, 1920, 1040}));
    EXPECT_EQ(MaximizedRect(Rect{0, 0, 1920, 1080}, max), (Rect{0, 20, 1920, 1060}));
    EXPECT_EQ(MaximizedRect(Rect{0, 0, 2000, 1080}, max), (Rect{40, 20, 1960, 1060}));
    // A smaller work area is used as it is.
    EXPECT_EQ(MaximizedRect(Rect{0, 40, 1024, 768}, max), (Rect{0, 40, 1024, 768}));

    EXPECT_EQ(InitialRestoreRect(Rect{0, 0, 1920, 1040}), (Rect{240, 130, 1680, 910}));
    // The inset is measured from the screen origin, not the work area's corner.
    EXPECT_EQ(InitialRestoreRect(Rect{100, 0, 900, 600}), (Rect{100, 75, 800, 525}));
}

TEST(LayoutSystemButtons, FromTheRightWithGaps) {
    EXPECT_EQ(LayoutSystemButtons(800, 0, {33, 36, 27}), (std::vector<int>{767, 731, 704}));
    EXPECT_EQ(LayoutSystemButtons(795, 2, {33, 36, 27}), (std::vector<int>{762, 724, 695}));
    // No maximise button: minimise sits next to close.
    const auto l = LayoutSystemButtons(800, 1, {33, 0, 27});
    EXPECT_EQ(l[0], 767);
    EXPECT_EQ(l[2], 739);
}

TEST(ChooseButtonCell, StatesAndStickyPress) {
    EXPECT_EQ(ChooseButtonCell(0, false, false).cell, CellNormal);
    EXPECT_EQ(ChooseButtonCell(0, false, true).cell, CellHover);
    const auto pressed = ChooseButtonCell(kOdsSelected, false, true);
    EXPECT_EQ(pressed.cell, CellPressed);
    EXPECT_TRUE(pressed.pressed);
    // Dragged off while held: no longer selected, still pressed.
    const auto held = ChooseButtonCell(0, true, false);
    EXPECT_EQ(held.cell, CellPressed);
    EXPECT_TRUE(held.pressed);
    // Disabled wins over everything.
    EXPECT_EQ(ChooseButtonCell(kOdsDisabled | kOdsSelected, true, true).cell, CellDisabled);
    EXPECT_EQ(ChooseButtonCell(kOdsGrayed, false, true).cell, CellDisabled);
    EXPECT_FALSE(ChooseButtonCell(kOdsGrayed, false, false).pressed);

    EXPECT_EQ(StripCellSize(132, 28), (Size{33, 28}));
    EXPECT_EQ(StripCellSize(230, 23), (Size{57, 23}));
    EXPECT_EQ(StripCellSize(0, 23), (Size{0, 0}));
}
