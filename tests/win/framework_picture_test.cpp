// The one picture decoder: premultiplied pixels written top-down for per-pixel
// alpha, plain bitmaps over a background, and its limits on outside bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/picture.h"
#include "skin/gdi.h"
#include "res/skin_ids.h"
#include "skin_test_support.h"

using skintest::Rgba;

namespace {

// 2 x 2, rows top-down: opaque red, half-transparent white; transparent, opaque blue.
std::vector<std::uint8_t> SamplePng() {
    return skintest::EncodePngRgba(2, 2, {{255, 0, 0, 255}, {255, 255, 255, 128}, {7, 7, 7, 0}, {0, 0, 255, 255}});
}

// A 32-bit pixel of a top-down DIB section as 0xAARRGGBB.
std::uint32_t DibPixel(HBITMAP bmp, int x, int y) {
    DIBSECTION ds{};
    if (GetObjectW(bmp, sizeof ds, &ds) != static_cast<int>(sizeof ds) || !ds.dsBm.bmBits)
        return 0xDEADBEEF;
    const auto* row = static_cast<const std::uint8_t*>(ds.dsBm.bmBits) + static_cast<size_t>(y) * ds.dsBm.bmWidthBytes;
    std::uint32_t v = 0;
    memcpy(&v, row + x * 4, 4);
    return v;
}

}  // namespace

TEST(Picture, PremultipliedTopDownPixelsForPerPixelAlpha) {
    const auto png = SamplePng();
    int w = 0, h = 0;
    fw::gdi::Bitmap bmp = fw::gdi::DecodePictureToDib(png.data(), png.size(), 16, PixelFormat32bppPARGB, w, h);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(bmp.get(), sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    // The section's first row in memory is the picture's top row.
    EXPECT_EQ(DibPixel(bmp.get(), 0, 0), 0xFFFF0000u);
    const std::uint32_t half = DibPixel(bmp.get(), 1, 0);
    EXPECT_EQ(half >> 24, 128u);
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 128, 1) << "not premultiplied";
    EXPECT_EQ(DibPixel(bmp.get(), 0, 1) >> 24, 0u);
    EXPECT_EQ(DibPixel(bmp.get(), 0, 1) & 0xFFFFFF, 0u) << "a transparent pixel keeps colour";
    EXPECT_EQ(DibPixel(bmp.get(), 1, 1), 0xFF0000FFu);
}

TEST(Picture, PlainBitmapLaysTransparencyOverTheBackground) {
    const auto png = SamplePng();
    int w = 0, h = 0;
    fw::gdi::Bitmap bmp = fw::gdi::DecodePictureToBitmap(png.data(), png.size(), 16, 0xFF00FF00, w, h);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(w, 2);
    const auto px = skintest::ReadBitmap(bmp.get());
    EXPECT_EQ(px.at(0, 1), RGB(0, 255, 0));  // transparent: the background
    EXPECT_EQ(px.at(1, 1), RGB(0, 0, 255));
}

TEST(Picture, OutsideBytesPastTheLimitsGiveNothing) {
    const long live = fw::gdi::LiveObjects();
    const auto png = SamplePng();
    int w = 5, h = 5;
    EXPECT_FALSE(fw::gdi::DecodePictureToDib(png.data(), png.size(), 1, PixelFormat32bppPARGB, w, h));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(fw::gdi::DecodePictureToBitmap(png.data(), png.size() / 2, 16, 0, w, h)) << "a cut-off picture";
    const char junk[] = "no picture";
    EXPECT_FALSE(fw::gdi::DecodePictureToBitmap(junk, sizeof junk, 16, 0, w, h));
    EXPECT_FALSE(fw::gdi::DecodePictureToDib(nullptr, 0, 16, PixelFormat32bppPARGB, w, h));
    bool called = false;
    EXPECT_FALSE(fw::gdi::WithDecodedPicture(junk, sizeof junk, 16, [&](Gdiplus::GpBitmap*, int, int) { called = true; }));
    EXPECT_FALSE(called);
    EXPECT_EQ(fw::gdi::LiveObjects(), live);
}

TEST(Picture, ResourcesOfTheExecutable) {
    const fw::gdi::ResourceBytes art = fw::gdi::FindResourceBytes(IDB_LOGIN_BK, L"PNG");
    ASSERT_NE(art.data, nullptr);
    EXPECT_GT(art.size, 8u);
    const fw::gdi::ResourceBytes none = fw::gdi::FindResourceBytes(4242, L"PNG");
    EXPECT_EQ(none.data, nullptr);
    EXPECT_EQ(none.size, 0u);
}
