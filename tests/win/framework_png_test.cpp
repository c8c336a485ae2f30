// Our PNG decoder against the system's on every picture the program carries:
// the same pixels, so the skins and the login artwork look as they did.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "framework/picture.h"
#include "framework/png_decoder.h"

namespace {

namespace gp = Gdiplus::DllExports;

BOOL CALLBACK NotePngId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(found)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<UINT> PngResourceIds() {
    std::vector<UINT> ids;
    EnumResourceNamesW(GetModuleHandleW(nullptr), L"PNG", &NotePngId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// The system decoder's pixels in the given format, top row first.
std::vector<std::uint32_t> SystemPixels(const fw::gdi::ResourceBytes& png, Gdiplus::PixelFormat format, int& w,
                                        int& h) {
    std::vector<std::uint32_t> pixels;
    fw::gdi::WithDecodedPicture(png.data, png.size, 0x7FFF, [&](Gdiplus::GpBitmap* image, int width, int height) {
        w = width;
        h = height;
        pixels.resize(static_cast<std::size_t>(w) * h);
        Gdiplus::GpRect all(0, 0, w, h);
        Gdiplus::BitmapData into{};
        into.Width = static_cast<UINT>(w);
        into.Height = static_cast<UINT>(h);
        into.Stride = w * 4;
        into.PixelFormat = format;
        into.Scan0 = pixels.data();
        if (gp::GdipBitmapLockBits(image, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                   format, &into) == Gdiplus::Ok)
            gp::GdipBitmapUnlockBits(image, &into);
        else
            pixels.clear();
    });
    return pixels;
}

std::vector<std::uint32_t> OurPixels(const fw::gdi::ResourceBytes& png, fw::PngAlpha alpha, fw::PngResult& result) {
    std::vector<std::uint32_t> pixels;
    result = fw::DecodePng(static_cast<const std::uint8_t*>(png.data), png.size, 0x7FFF, alpha, [&](fw::PngSize s) {
        pixels.resize(static_cast<std::size_t>(s.width) * s.height);
        return pixels.data();
    });
    return pixels;
}

int ChannelGap(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

TEST(OwnPngDecoder, GivesTheSystemsPixelsForEveryPictureWeCarry) {
    const std::vector<UINT> ids = PngResourceIds();
    ASSERT_GE(ids.size(), 20u);
    for (UINT id : ids) {
        const fw::gdi::ResourceBytes png = fw::gdi::FindResourceBytes(id, L"PNG");
        int w = 0, h = 0;
        fw::PngResult result{};
        // Straight colour and alpha, as the skins are keyed from: exactly the same.
        const auto system = SystemPixels(png, PixelFormat32bppARGB, w, h);
        ASSERT_FALSE(system.empty()) << id;
        const auto ours = OurPixels(png, fw::PngAlpha::Straight, result);
        ASSERT_EQ(result, fw::PngResult::Decoded) << id;
        ASSERT_EQ(ours.size(), system.size()) << id;
        std::size_t differ = 0;
        for (std::size_t i = 0; i < ours.size(); ++i)
            differ += ours[i] != system[i];
        EXPECT_EQ(differ, 0u) << "picture " << id << ", " << w << " x " << h;

        // Premultiplied, as per-pixel alpha draws: at most a step of rounding apart.
        const auto systemPremultiplied = SystemPixels(png, PixelFormat32bppPARGB, w, h);
        const auto oursPremultiplied = OurPixels(png, fw::PngAlpha::Premultiplied, result);
        ASSERT_EQ(oursPremultiplied.size(), systemPremultiplied.size()) << id;
        int gap = 0;
        for (std::size_t i = 0; i < ours.size(); ++i)
            gap = std::max(gap, ChannelGap(oursPremultiplied[i], systemPremultiplied[i]));
        EXPECT_LE(gap, 1) << "picture " << id;
    }
}

TEST(OwnPngDecoder, TheLoginArtworkDecodesIntoItsSection) {
    const fw::gdi::ResourceBytes png = fw::gdi::FindResourceBytes(129, L"PNG");
    int w = 0, h = 0;
    fw::gdi::Bitmap dib = fw::gdi::DecodePngToDib(png.data, png.size, w, h);
    ASSERT_TRUE(dib);
    EXPECT_EQ(w, 888);
    EXPECT_EQ(h, 518);
    const char junk[] = "not a picture";
    EXPECT_FALSE(fw::gdi::DecodePngToDib(junk, sizeof junk, w, h));
    EXPECT_EQ(w, 0);
}

}  // namespace
