#include "skin/skin_image.h"

#include "framework/handles.h"
#include "framework/picture.h"
#include "framework/png_decoder.h"
#include "common/newer_windows.h"
#include "skin/skin_scale.h"

#include <cstring>
#include <vector>

namespace ovn::skin {

namespace gp = Gdiplus::DllExports;

namespace {

// An empty 32-bit bottom-up DIB section of w x h and where its pixels are.
gdi::Bitmap CreateDib32(int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // positive: bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    gdi::WindowDC screen(nullptr);
    *bits = nullptr;
    gdi::Bitmap bmp(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits)
        bmp.reset();
    return bmp;
}

}  // namespace

gdi::Bitmap ImageToKeyedBitmap(Gdiplus::GpBitmap* image, COLORREF key) {
    if (!image)
        return {};
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(image, &w);
    gp::GdipGetImageHeight(image, &h);
    if (w == 0 || h == 0 || w > 0x7FFF || h > 0x7FFF)
        return {};
    void* bits = nullptr;
    gdi::Bitmap bmp = CreateDib32(static_cast<int>(w), static_cast<int>(h), &bits);
    if (!bmp)
        return {};

    Gdiplus::GpRect rect(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    Gdiplus::BitmapData data{};
    if (gp::GdipBitmapLockBits(image, &rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                               &data) != Gdiplus::Ok)
        return {};
    bool ok = data.Scan0 != nullptr &&
              ConvertToKeyedBottomUp(static_cast<const std::uint8_t*>(data.Scan0), data.Stride,
                                     static_cast<int>(w), static_cast<int>(h),
                                     static_cast<std::uint8_t*>(bits), static_cast<int>(w) * 4,
                                     key);
    gp::GdipBitmapUnlockBits(image, &data);
    if (!ok)
        return {};
    ::GdiFlush();
    return bmp;
}

gdi::Bitmap DecodeSkinImage(const void* data, std::size_t size) {
    // Our own decoder first: it reads every skin we carry and starts no imaging
    // library. What it leaves (sixteen-bit samples, interlacing) or cannot read
    // goes to the system's decoder.
    std::vector<std::uint32_t> pixels;
    fw::PngSize got;
    const fw::PngResult own = fw::DecodePng(static_cast<const std::uint8_t*>(data), size, 0x7FFF,
                                            fw::PngAlpha::Straight, [&](fw::PngSize s) {
                                                got = s;
                                                pixels.resize(static_cast<std::size_t>(s.width) * s.height);
                                                return pixels.data();
                                            });
    if (own == fw::PngResult::Decoded) {
        void* bits = nullptr;
        gdi::Bitmap bmp = CreateDib32(got.width, got.height, &bits);
        if (!bmp || !ConvertToKeyedBottomUp(reinterpret_cast<const std::uint8_t*>(pixels.data()), got.width * 4,
                                            got.width, got.height, static_cast<std::uint8_t*>(bits), got.width * 4,
                                            SkinKeyColor))
            return {};
        ::GdiFlush();
        return bmp;
    }
    return DecodeNetworkImage(data, size);
}

gdi::Bitmap DecodeNetworkImage(const void* data, std::size_t size) {
    gdi::Bitmap out;
    gdi::WithDecodedPicture(data, size, 0x7FFF, [&](Gdiplus::GpBitmap* image, int, int) {
        out = ImageToKeyedBitmap(image, SkinKeyColor);
        if (!out)
            out = gdi::DecodedToBitmap(image, 0xFFFF00FF);
    });
    return out;
}

std::span<const int> SkinDpis() {
    static constexpr int kDrawn[] = {DisplayScale::kBaseDpi};
    return kDrawn;
}

DisplayScale LayoutScale(HWND window) {
    HWND top = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return DisplayScale(LayoutDpi(WindowDpi(top ? top : window)));
}

int LayoutDpi(int windowDpi) { return NearestDrawnDpi(windowDpi, SkinDpis()); }

int FontHeightAt(int height, int fromDpi, DisplayScale scale) {
    return scale.FromDpi(height, fromDpi);
}

gdi::Bitmap LoadSkinImage(UINT id, DisplayScale) {
    // A bitmap resource of the same id overrides the PNG.
    if (HBITMAP plain = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)))
        return gdi::Bitmap(plain);
    const gdi::ResourceBytes png = gdi::FindResourceBytes(id, L"PNG");
    return DecodeSkinImage(png.data, png.size);
}

gdi::Bitmap LoadImageFile(const wchar_t* path, int& width, int& height) {
    width = height = 0;
    if (!gdi::GdiplusStarted() || !path || !*path)
        return {};
    Gdiplus::GpImage* raw = nullptr;
    if (gp::GdipLoadImageFromFile(path, &raw) != Gdiplus::Ok || !raw)
        return {};
    gdi::GpImage image(raw);
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(raw, &w);
    gp::GdipGetImageHeight(raw, &h);
    if (w == 0 || h == 0 || w > 0x7FFF || h > 0x7FFF)
        return {};

    void* bits = nullptr;
    gdi::Bitmap bmp = CreateDib32(static_cast<int>(w), static_cast<int>(h), &bits);
    gdi::MemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!bmp || !dc)
        return {};
    {
        gdi::Select sel(dc.get(), bmp.get());
        RECT all{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        Gdiplus::GpGraphics* g = nullptr;
        if (gp::GdipCreateFromHDC(dc.get(), &g) != Gdiplus::Ok || !g)
            return {};
        gdi::GpGraphics graphics(g);
        if (gp::GdipDrawImageRectI(g, raw, 0, 0, static_cast<INT>(w), static_cast<INT>(h)) !=
            Gdiplus::Ok)
            return {};
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return bmp;
}

void DrawParentBackground(HWND control, HDC buffer) {
    HWND parent = ::GetParent(control);
    if (!parent || !buffer)
        return;
    RECT rc{}, rp{};
    ::GetWindowRect(control, &rc);
    ::GetWindowRect(parent, &rp);
    gdi::SavedState state(buffer);
    ::SetWindowOrgEx(buffer, rc.left - rp.left, rc.top - rp.top, nullptr);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer), 0);
}

}  // namespace ovn::skin
