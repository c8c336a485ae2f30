#include "skin/skin_image.h"

#include "framework/handles.h"
#include "framework/picture.h"
#include "framework/png_decoder.h"
#include "common/newer_windows.h"
#include "skin/skin_scale.h"
#include "res/skin_ids.h"

#include <algorithm>
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

// Every drawing the executable carries, as the generator lists them.
constexpr SkinDrawing kDrawings[] = {
#define SKIN_DRAWING(id, dpi, resource) SkinDrawing{id, dpi, resource},
    SKIN_DRAWINGS
#undef SKIN_DRAWING
};

// Straight-alpha pixels of a PNG of ours, top row first; false when our
// decoder does not read it.
bool DecodeOwnPng(const void* data, std::size_t size, std::vector<std::uint32_t>& pixels, fw::PngSize& got,
                  fw::PngAlpha alpha = fw::PngAlpha::Straight) {
    return fw::DecodePng(static_cast<const std::uint8_t*>(data), size, 0x7FFF, alpha, [&](fw::PngSize s) {
               got = s;
               pixels.resize(static_cast<std::size_t>(s.width) * s.height);
               return pixels.data();
           }) == fw::PngResult::Decoded;
}

gdi::Bitmap KeyedFromPixels(const std::vector<std::uint32_t>& pixels, int w, int h) {
    void* bits = nullptr;
    gdi::Bitmap bmp = CreateDib32(w, h, &bits);
    if (!bmp || !ConvertToKeyedBottomUp(reinterpret_cast<const std::uint8_t*>(pixels.data()), w * 4, w, h,
                                        static_cast<std::uint8_t*>(bits), w * 4, SkinKeyColor))
        return {};
    ::GdiFlush();
    return bmp;
}

// A keyed image drawn for another scale than the window's: resized as
// premultiplied pixels (so transparent pixels lend no colour to their
// neighbours) and turned back to straight alpha for keying. Only an image with
// no drawing of its own for the scale comes here; the shapes are drawn at every scale.
gdi::Bitmap KeyedResized(const void* data, std::size_t size, int drawnDpi, DisplayScale scale) {
    std::vector<std::uint32_t> pixels;
    fw::PngSize got;
    if (!DecodeOwnPng(data, size, pixels, got, fw::PngAlpha::Premultiplied))
        return {};
    const Size to = SizeAt(Size{got.width, got.height}, drawnDpi, scale);
    std::vector<std::uint32_t> resized(static_cast<std::size_t>(to.cx) * to.cy);
    if (!ResamplePremultiplied(reinterpret_cast<const std::uint8_t*>(pixels.data()), got.width, got.height,
                               got.width * 4, reinterpret_cast<std::uint8_t*>(resized.data()), to.cx, to.cy,
                               to.cx * 4))
        return {};
    for (std::uint32_t& p : resized) {
        const std::uint32_t a = p >> 24;
        if (a == 0 || a == 255)
            continue;
        auto un = [&](int shift) { return std::min<std::uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a) << shift; };
        p = (a << 24) | un(16) | un(8) | un(0);
    }
    return KeyedFromPixels(resized, to.cx, to.cy);
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
    if (DecodeOwnPng(data, size, pixels, got))
        return KeyedFromPixels(pixels, got.width, got.height);
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
    static const std::vector<int> drawn = DrawnDpis(kDrawings);
    return drawn;
}

DisplayScale LayoutScale(HWND window) {
    HWND top = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return DisplayScale(LayoutDpi(WindowDpi(top ? top : window)));
}

int LayoutDpi(int windowDpi) { return NearestDrawnDpi(windowDpi, SkinDpis()); }

int FontHeightAt(int height, int fromDpi, DisplayScale scale) {
    return scale.FromDpi(height, fromDpi);
}

gdi::Bitmap LoadSkinImage(UINT id, DisplayScale scale) {
    // A bitmap resource of the same id overrides the PNG (drawn for 100 %).
    if (HBITMAP plain = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)))
        return gdi::Bitmap(plain);
    // Only the drawing for this scale is read and decoded, when it is asked for.
    const SkinDrawing* drawing = DrawingFor(id, scale.Dpi(), kDrawings);
    const gdi::ResourceBytes png = gdi::FindResourceBytes(drawing ? drawing->resource : id, L"PNG");
    if (drawing && drawing->dpi != scale.Dpi())
        return KeyedResized(png.data, png.size, drawing->dpi, scale);
    return DecodeSkinImage(png.data, png.size);
}

gdi::Bitmap LoadSkinPicture(UINT id, DisplayScale scale, int& width, int& height) {
    width = height = 0;
    const SkinDrawing* drawing = DrawingFor(id, scale.Dpi(), kDrawings);
    const gdi::ResourceBytes png = gdi::FindResourceBytes(drawing ? drawing->resource : id, L"PNG");
    int w = 0, h = 0;
    // Decoded straight into the premultiplied pixels per-pixel alpha asks for;
    // a picture our decoder does not read goes to the system's.
    gdi::Bitmap dib = gdi::DecodePngToDib(png.data, png.size, w, h);
    if (!dib)
        dib = gdi::DecodePictureToDib(png.data, png.size, 0x7FFF, PixelFormat32bppPARGB, w, h);
    if (!dib)
        return {};
    if (!drawing || drawing->dpi == scale.Dpi()) {
        width = w;
        height = h;
        return dib;
    }
    // Not drawn for this scale: shrunk smoothly from the larger drawing.
    DIBSECTION from{};
    if (::GetObjectW(dib.get(), sizeof from, &from) != sizeof from || !from.dsBm.bmBits)
        return {};
    const Size to = SizeAt(Size{w, h}, drawing->dpi, scale);
    void* bits = nullptr;
    gdi::Bitmap out = gdi::CreateTopDownDib(to.cx, to.cy, &bits);
    if (!out || !ResamplePremultiplied(static_cast<const std::uint8_t*>(from.dsBm.bmBits), w, h,
                                       from.dsBm.bmWidthBytes, static_cast<std::uint8_t*>(bits), to.cx, to.cy,
                                       to.cx * 4))
        return {};
    ::GdiFlush();
    width = to.cx;
    height = to.cy;
    return out;
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
