// Skin images decoded by the platform's decoder and turned into keyed bitmaps.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "res/skin_ids.h"
#include "skin/skin_image.h"
#include "skin_test_support.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;
using skintest::Rgba;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// 3 x 2, rows top-down: transparent, opaque red, half-transparent (r0 g128 b255)
//                       opaque green, alpha 1 black, alpha 254 black
std::vector<Rgba> SamplePixels() {
    return {{9, 9, 9, 0},  {255, 0, 0, 255}, {0, 128, 255, 128},
            {0, 255, 0, 255}, {0, 0, 0, 1},   {0, 0, 0, 254}};
}

void ExpectSample(HBITMAP bmp) {
    ASSERT_NE(bmp, nullptr);
    // 32-bit, bottom-up (positive height in the header).
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(bmp, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    EXPECT_GT(ds.dsBmih.biHeight, 0);

    const auto px = skintest::ReadBitmap(bmp);
    ASSERT_EQ(px.w, 3);
    ASSERT_EQ(px.h, 2);
    // Upright: the PNG's first row is the top row.
    EXPECT_EQ(px.at(0, 0), kMagenta);
    EXPECT_EQ(px.at(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(px.at(2, 0), RGB(127, 191, 255));
    EXPECT_EQ(px.at(0, 1), RGB(0, 255, 0));
    EXPECT_EQ(px.at(1, 1), RGB(254, 254, 254));
    EXPECT_EQ(px.at(2, 1), RGB(1, 1, 1));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(px.fourth(x, y), 0) << x << "," << y;
}

}  // namespace

TEST(SkinImage, RgbaPngBecomesKeyedUprightBitmap) {
    const auto png = skintest::EncodePngRgba(3, 2, SamplePixels());
    gdi::Bitmap bmp = DecodeSkinImage(png.data(), png.size());
    ExpectSample(bmp.get());
}

TEST(SkinImage, PalettePngWithTransparencyTableDecodesTheSame) {
    const auto pixels = SamplePixels();
    std::vector<std::uint8_t> indices = {0, 1, 2, 3, 4, 5};
    const auto png = skintest::EncodePngPalette(3, 2, pixels, indices);
    gdi::Bitmap bmp = DecodeSkinImage(png.data(), png.size());
    ExpectSample(bmp.get());
}

TEST(SkinImage, BadInputGivesNothing) {
    const char junk[] = "not a picture at all";
    EXPECT_FALSE(DecodeSkinImage(junk, sizeof junk));
    EXPECT_FALSE(DecodeSkinImage(nullptr, 0));
    EXPECT_FALSE(ImageToKeyedBitmap(nullptr, SkinKeyColor));
    const long live = gdi::LiveObjects();
    EXPECT_FALSE(LoadSkinImage(4242));  // no such resource
    EXPECT_EQ(gdi::LiveObjects(), live);
}

TEST(SkinImage, ResourcesOfTheExecutableForEachScale) {
    EXPECT_EQ(std::vector<int>(SkinDpis().begin(), SkinDpis().end()), (std::vector<int>{96, 120, 144, 192}));
    // The small dialogs' frame, with its top corners cut on a 45-degree line
    // (square bottom ones), and the text button strip of four cells: the
    // drawing made for the scale (at 144 DPI, the 150 % one).
    struct Drawn {
        int dpi, frameW, frameH, cut, cellW, cellH;
    };
    for (const Drawn& d : {Drawn{96, 30, 51, 3, 57, 23}, Drawn{144, 45, 77, 5, 86, 35}}) {
        SCOPED_TRACE(d.dpi);
        gdi::Bitmap frame = LoadSkinImage(IDB_DLG_FRAME, DisplayScale(d.dpi));
        ASSERT_TRUE(frame);
        const auto px = skintest::ReadBitmap(frame.get());
        ASSERT_EQ(px.w, d.frameW);
        ASSERT_EQ(px.h, d.frameH);
        EXPECT_EQ(px.at(0, 0), kMagenta);
        EXPECT_EQ(px.at(d.cut - 1, 0), kMagenta);
        EXPECT_EQ(px.at(d.frameW - d.cut, 0), kMagenta);
        EXPECT_EQ(px.at(0, d.cut - 1), kMagenta);
        EXPECT_NE(px.at(d.cut, 0), kMagenta);
        EXPECT_NE(px.at(1, d.cut - 1), kMagenta);
        EXPECT_NE(px.at(0, d.frameH - 1), kMagenta);
        EXPECT_NE(px.at(d.frameW - 1, d.frameH - 1), kMagenta);

        const SIZE s = gdi::BitmapSize(LoadSkinImage(IDB_BTN_TEXT, DisplayScale(d.dpi)).get());
        EXPECT_EQ(s.cx, 4 * d.cellW);
        EXPECT_EQ(s.cy, d.cellH);
    }
}

TEST(SkinImage, ArtworkForEachScale) {
    // An image with no drawing of its own for the scale comes resized to it.
    const SIZE art = gdi::BitmapSize(LoadSkinImage(IDB_LOGIN_BK, DisplayScale(120)).get());
    EXPECT_EQ(art.cx, 1110);
    EXPECT_EQ(art.cy, 648);

    // The artwork, drawn at 100 and 200 %, comes at 150 % shrunk from 200 %:
    // smooth, transparent at its corners, opaque inside.
    for (const auto& [dpi, w, h] : {std::tuple{96, 888, 518}, {144, 1332, 777}, {192, 1776, 1036}}) {
        SCOPED_TRACE(dpi);
        int gotW = 0, gotH = 0;
        gdi::Bitmap art = LoadSkinPicture(IDB_LOGIN_BK, DisplayScale(dpi), gotW, gotH);
        ASSERT_TRUE(art);
        EXPECT_EQ(gotW, w);
        EXPECT_EQ(gotH, h);
        DIBSECTION ds{};
        ASSERT_EQ(::GetObjectW(art.get(), sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmWidth, w);
        const auto* bits = static_cast<const std::uint32_t*>(ds.dsBm.bmBits);
        EXPECT_EQ(bits[0] >> 24, 0u);  // a corner
        EXPECT_EQ(bits[static_cast<std::size_t>(h / 2) * w + w / 2] >> 24, 255u);  // the middle
    }
}

TEST(SkinImage, PictureFileIsDrawnOverWhite) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"ovn_skin_test.png";
    const auto png = skintest::EncodePngRgba(3, 2, SamplePixels());
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    CloseHandle(f);

    int w = -1, h = -1;
    gdi::Bitmap bmp = LoadImageFile(path.c_str(), w, h);
    DeleteFileW(path.c_str());
    ASSERT_TRUE(bmp);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    const auto px = skintest::ReadBitmap(bmp.get());
    // The key colour plays no part: transparent is white here.
    EXPECT_EQ(px.at(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(px.at(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(px.at(0, 1), RGB(0, 255, 0));

    gdi::Bitmap none = LoadImageFile(L"C:\\no\\such\\PopWnd.jpg", w, h);
    EXPECT_FALSE(none);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}
