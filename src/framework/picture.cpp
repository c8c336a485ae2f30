#include "framework/picture.h"

#include <cstring>

#include "framework/png_decoder.h"

namespace fw::gdi {

namespace gp = Gdiplus::DllExports;

namespace {

// A stream over its own copy of the bytes: GDI+ may read from it for as long as
// the image it made lives.
ComPtr<IStream> StreamOf(const void* data, std::size_t size) {
    ComPtr<IStream> stream;
    if (!data || size == 0 || size > 0xFFFFFFFFu)
        return {};
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())))
        return {};
    ULONG written = 0;
    if (FAILED(stream->Write(data, static_cast<ULONG>(size), &written)) || written != size)
        return {};
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

}  // namespace

ResourceBytes FindResourceBytes(UINT id, const wchar_t* type) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = res ? ::LoadResource(module, res) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = res ? ::SizeofResource(module, res) : 0;
    if (!bytes || size == 0)
        return {};
    return {bytes, size};
}

bool WithDecodedPicture(const void* data, std::size_t size, int maxSide,
                        const std::function<void(Gdiplus::GpBitmap* image, int width, int height)>& use) {
    if (!GdiplusStarted())
        return false;
    ComPtr<IStream> stream = StreamOf(data, size);
    if (!stream)
        return false;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw)
        return false;
    GpImage image(raw);
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(raw, &w);
    gp::GdipGetImageHeight(raw, &h);
    if (w == 0 || h == 0 || w > static_cast<UINT>(maxSide) || h > static_cast<UINT>(maxSide))
        return false;
    use(raw, static_cast<int>(w), static_cast<int>(h));
    return true;
}

Bitmap CreateTopDownDib(int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    WindowDC screen(nullptr);
    *bits = nullptr;
    Bitmap bmp(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits)
        bmp.reset();
    return bmp;
}

Bitmap DecodePictureToDib(const void* data, std::size_t size, int maxSide, Gdiplus::PixelFormat format, int& width,
                          int& height) {
    width = height = 0;
    Bitmap out;
    WithDecodedPicture(data, size, maxSide, [&](Gdiplus::GpBitmap* image, int w, int h) {
        void* bits = nullptr;
        Bitmap dib = CreateTopDownDib(w, h, &bits);
        if (!dib)
            return;
        // The decoder writes the converted pixels straight into the section.
        Gdiplus::GpRect all(0, 0, w, h);
        Gdiplus::BitmapData into{};
        into.Width = static_cast<UINT>(w);
        into.Height = static_cast<UINT>(h);
        into.Stride = w * 4;
        into.PixelFormat = format;
        into.Scan0 = bits;
        if (gp::GdipBitmapLockBits(image, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, format,
                                   &into) != Gdiplus::Ok)
            return;
        gp::GdipBitmapUnlockBits(image, &into);
        ::GdiFlush();
        out = std::move(dib);
        width = w;
        height = h;
    });
    return out;
}

Bitmap DecodePngToDib(const void* data, std::size_t size, int& width, int& height) {
    width = height = 0;
    Bitmap dib;
    PngSize got;
    const PngResult r = DecodePng(static_cast<const std::uint8_t*>(data), size, 0x7FFF, PngAlpha::Premultiplied,
                                  [&](PngSize s) -> std::uint32_t* {
                                      void* bits = nullptr;
                                      dib = CreateTopDownDib(s.width, s.height, &bits);
                                      got = s;
                                      return static_cast<std::uint32_t*>(bits);
                                  });
    if (r != PngResult::Decoded)
        return {};
    ::GdiFlush();
    width = got.width;
    height = got.height;
    return dib;
}

Bitmap DecodedToBitmap(Gdiplus::GpBitmap* image, Gdiplus::ARGB background) {
    HBITMAP made = nullptr;
    if (!image || gp::GdipCreateHBITMAPFromBitmap(image, &made, background) != Gdiplus::Ok)
        return {};
    return Bitmap(made);
}

Bitmap DecodePictureToBitmap(const void* data, std::size_t size, int maxSide, Gdiplus::ARGB background, int& width,
                             int& height) {
    width = height = 0;
    Bitmap out;
    WithDecodedPicture(data, size, maxSide, [&](Gdiplus::GpBitmap* image, int w, int h) {
        out = DecodedToBitmap(image, background);
        if (out) {
            width = w;
            height = h;
        }
    });
    return out;
}

}  // namespace fw::gdi
