#include "skin/gdi.h"

#include <atomic>
#include <cstdlib>

namespace ovn::gdi {

namespace {
std::atomic<long> g_live{0};
std::atomic<long> g_taken{0};
}  // namespace

long LiveObjects() { return g_live.load(); }
long TakenObjects() { return g_taken.load(); }

namespace detail {
void Took() {
    ++g_live;
    ++g_taken;
}
void Gave() { --g_live; }
}  // namespace detail

Buffer::Buffer(HDC compatibleWith, int cx, int cy)
    : m_dc(::CreateCompatibleDC(compatibleWith)),
      m_bmp(cx > 0 && cy > 0 ? ::CreateCompatibleBitmap(compatibleWith, cx, cy) : nullptr),
      m_sel(m_dc.get(), m_bmp.get()) {}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, background thread, no external codecs
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

GdiplusSession::~GdiplusSession() {
    if (m_token)
        Gdiplus::GdiplusShutdown(m_token);
}

SIZE BitmapSize(HBITMAP bmp) {
    BITMAP bm{};
    if (!bmp || !::GetObjectW(bmp, sizeof bm, &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
}

std::vector<std::uint32_t> ReadPixels(HBITMAP bmp, SIZE& size) {
    size = BitmapSize(bmp);
    if (size.cx <= 0 || size.cy <= 0)
        return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    WindowDC screen(nullptr);
    if (!::GetDIBits(screen.get(), bmp, 0, static_cast<UINT>(size.cy), pixels.data(), &bi, DIB_RGB_COLORS))
        return {};
    return pixels;
}

}  // namespace ovn::gdi
