#include "skin/gdi.h"

#include <cstdlib>

namespace ovn::gdi {

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
