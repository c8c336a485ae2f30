// Helpers for the skin tests: small PNG files written here (so a test states the
// exact pixels it feeds in), pixel reading from bitmaps and windows, and a pump
// that runs whatever is queued.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "message_pump.h"

namespace skintest {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// ---------------------------------------------------------------------------
// A minimal PNG writer: stored (uncompressed) deflate blocks, filter 0 rows.

inline std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void PutChunk(std::vector<std::uint8_t>& out, const char* type,
                     const std::vector<std::uint8_t>& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, Crc32(body.data(), body.size()));
}

inline std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(len));
        z.push_back(static_cast<std::uint8_t>(len >> 8));
        z.push_back(static_cast<std::uint8_t>(~len));
        z.push_back(static_cast<std::uint8_t>(~len >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);
    return z;
}

inline std::vector<std::uint8_t> PngHeader(int w, int h, std::uint8_t colorType) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutBe32(ihdr, static_cast<std::uint32_t>(w));
    PutBe32(ihdr, static_cast<std::uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, colorType, 0, 0, 0});
    PutChunk(png, "IHDR", ihdr);
    return png;
}

// pixels: w * h, rows top-down.
inline std::vector<std::uint8_t> EncodePngRgba(int w, int h, const std::vector<Rgba>& pixels) {
    std::vector<std::uint8_t> png = PngHeader(w, h, 6);
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const Rgba& p = pixels[static_cast<std::size_t>(y) * w + x];
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    PutChunk(png, "IDAT", Zlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

// An 8-bit palette image with a transparency table: the palette entries carry
// the alpha (as the skin files made by image editors do).
inline std::vector<std::uint8_t> EncodePngPalette(int w, int h, const std::vector<Rgba>& palette,
                                                  const std::vector<std::uint8_t>& indices) {
    std::vector<std::uint8_t> png = PngHeader(w, h, 3);
    std::vector<std::uint8_t> plte, trns;
    for (const Rgba& p : palette) {
        plte.insert(plte.end(), {p.r, p.g, p.b});
        trns.push_back(p.a);
    }
    PutChunk(png, "PLTE", plte);
    PutChunk(png, "tRNS", trns);
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
            raw.push_back(indices[static_cast<std::size_t>(y) * w + x]);
    }
    PutChunk(png, "IDAT", Zlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

// ---------------------------------------------------------------------------
// Pixels

// COLORREF-style 0x00BBGGRR from a 32-bit DIB pixel (bytes blue, green, red, x).
inline COLORREF PixelToColor(std::uint32_t p) {
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

struct Pixels {
    int w = 0, h = 0;
    std::vector<std::uint32_t> data;  // top-down
    COLORREF at(int x, int y) const {
        return PixelToColor(data[static_cast<std::size_t>(y) * w + x]);
    }
    std::uint8_t fourth(int x, int y) const {
        return static_cast<std::uint8_t>(data[static_cast<std::size_t>(y) * w + x] >> 24);
    }
};

inline Pixels ReadBitmap(HBITMAP bmp) {
    Pixels px;
    SIZE size{};
    px.data = ovn::gdi::ReadPixels(bmp, size);
    if (!px.data.empty()) {
        px.w = size.cx;
        px.h = size.cy;
    }
    return px;
}

// The pixels of a w x h rectangle of a device context, its corner at (x, y).
inline Pixels CopyPixels(HDC from, int x, int y, int w, int h) {
    HDC mem = ::CreateCompatibleDC(from);
    HBITMAP bmp = ::CreateCompatibleBitmap(from, w, h);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, from, x, y, SRCCOPY);
    ::SelectObject(mem, old);
    Pixels px = ReadBitmap(bmp);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    return px;
}

// What a window shows on screen right now, through its own device context.
inline Pixels CaptureWindow(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    HDC wdc = ::GetWindowDC(hwnd);
    Pixels px = CopyPixels(wdc, 0, 0, r.right - r.left, r.bottom - r.top);
    ::ReleaseDC(hwnd, wdc);
    return px;
}

// What the screen shows in a rectangle (screen coordinates): the windows on it as
// they were painted, one over the other, clipped to their shapes.
inline Pixels CaptureScreen(const RECT& r) {
    HDC screen = ::GetDC(nullptr);
    Pixels px = CopyPixels(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ::ReleaseDC(nullptr, screen);
    return px;
}

// What a window paints into a fresh bitmap when asked to erase its background.
inline Pixels EraseIntoBitmap(HWND hwnd, int w, int h) {
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
    ::SelectObject(mem, old);
    Pixels px = ReadBitmap(bmp);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return px;
}

// Live GDI objects of this process. Where the system does not report the count
// (Wine answers 0), the handle table is walked instead: a handle value holding
// only a table index is accepted there, so every live object is found once.
inline long LiveGdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<long>(n);
    long n = 0;
    for (UINT_PTR i = 1; i < 0x10000; ++i)
        n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    return n;
}

using wintest::PumpIdle;

// A four-cell strip of cw x ch cells, each cell one solid colour with its
// top-left 2 x 2 pixels transparent.
inline std::vector<std::uint8_t> StripPng(int cw, int ch, const Rgba (&cells)[4]) {
    std::vector<Rgba> px(static_cast<std::size_t>(cw) * 4 * ch);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw * 4; ++x) {
            Rgba c = cells[x / cw];
            if (x % cw < 2 && y < 2)
                c.a = 0;
            px[static_cast<std::size_t>(y) * cw * 4 + x] = c;
        }
    return EncodePngRgba(cw * 4, ch, px);
}

// A frame like the small dialogs' one: w x h, one colour for the caption rows
// (0..29), another for the rest, the outer 3, 2, 1 pixels of rows 0, 1, 2 transparent.
inline std::vector<std::uint8_t> FramePng(int w, int h, Rgba caption, Rgba body) {
    std::vector<Rgba> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba c = y < 30 ? caption : body;
            const int cut = y < 3 ? 3 - y : 0;
            if (x < cut || x >= w - cut)
                c.a = 0;
            px[static_cast<std::size_t>(y) * w + x] = c;
        }
    return EncodePngRgba(w, h, px);
}

}  // namespace skintest
