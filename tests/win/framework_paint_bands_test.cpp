// The banded off-screen paint: what lands on the target is what a direct paint
// would have drawn, across band edges, within the target's clip only.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/gdi_handles.h"
#include "skin/gdi.h"  // what the pixel reader below reads with
#include "skin_test_support.h"

namespace {

namespace gdi = fw::gdi;

constexpr int kW = 300, kH = 900;  // 1,200 bytes a row: several bands of a quarter megabyte

// Draws in the target's own coordinates: a colour per row, a diagonal line across
// every band edge, a text, and a change of settings a later band must not inherit.
void Scene(HDC dc) {
    for (int y = 0; y < kH; y += 7) {
        RECT row{0, y, kW, y + 7};
        gdi::Brush brush(CreateSolidBrush(RGB(y % 256, (y * 3) % 256, 90)));
        FillRect(dc, &row, brush.get());
    }
    gdi::Pen pen(CreatePen(PS_SOLID, 3, RGB(255, 255, 0)));
    gdi::Select usePen(dc, pen.get());
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, kW, kH);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutW(dc, 20, 215, L"QuenraOrvane", 12);
    SetViewportOrgEx(dc, 0, 0, nullptr);  // a paint that moves the origin moves it for its own band only
    SetTextColor(dc, RGB(1, 1, 1));
}

struct Target {
    gdi::WindowDC screen{nullptr};
    gdi::MemoryDC dc{CreateCompatibleDC(screen.get())};
    gdi::Bitmap bmp{CreateCompatibleBitmap(screen.get(), kW, kH)};
    gdi::Select sel{dc.get(), bmp.get()};
    Target() {
        RECT all{0, 0, kW, kH};
        gdi::Brush black(CreateSolidBrush(RGB(0, 0, 0)));
        FillRect(dc.get(), &all, black.get());
    }
};

TEST(PaintInBands, GivesWhatADirectPaintGives) {
    Target direct, banded;
    Scene(direct.dc.get());
    const RECT all{0, 0, kW, kH};
    ASSERT_TRUE(gdi::PaintInBands(banded.dc.get(), all, [](HDC band) { Scene(band); }));
    const auto want = skintest::ReadBitmap(direct.bmp.get());
    const auto got = skintest::ReadBitmap(banded.bmp.get());
    ASSERT_EQ(want.data.size(), got.data.size());
    int differ = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            differ += want.at(x, y) != got.at(x, y);
    EXPECT_EQ(differ, 0);
}

TEST(PaintInBands, PaintsOnlyWithinTheClipAndTheArea) {
    Target banded;
    HRGN clip = CreateRectRgn(50, 100, 250, 700);
    SelectClipRgn(banded.dc.get(), clip);
    DeleteObject(clip);
    const RECT area{0, 0, kW, 600};
    int calls = 0;
    ASSERT_TRUE(gdi::PaintInBands(banded.dc.get(), area, [&](HDC band) {
        ++calls;
        RECT all{0, 0, kW, kH};
        gdi::Brush white(CreateSolidBrush(RGB(255, 255, 255)));
        FillRect(band, &all, white.get());
    }));
    SelectClipRgn(banded.dc.get(), nullptr);
    const auto got = skintest::ReadBitmap(banded.bmp.get());
    EXPECT_EQ(got.at(60, 110), RGB(255, 255, 255));
    EXPECT_EQ(got.at(249, 599), RGB(255, 255, 255));
    EXPECT_EQ(got.at(49, 300), RGB(0, 0, 0)) << "left of the clip";
    EXPECT_EQ(got.at(100, 99), RGB(0, 0, 0)) << "above the clip";
    EXPECT_EQ(got.at(100, 600), RGB(0, 0, 0)) << "below the area";
    EXPECT_EQ(got.at(250, 300), RGB(0, 0, 0)) << "right of the clip";
    EXPECT_EQ(calls, 3) << "600 rows of 300 pixels: 720 KB in bands of a quarter megabyte";
}

}  // namespace
