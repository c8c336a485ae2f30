#include "framework/gdi_handles.h"

#include <atomic>
#include <vector>

#include "framework/paint_bands.h"

namespace fw::gdi {

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

bool PaintInBands(HDC dc, const RECT& area, void (*paint)(HDC, void*), void* context) {
    // The whole area, band by band: the system's clipping keeps each copy within
    // what is to be painted. (Cutting the bands to the clip box read here left
    // a launcher black under Wine now and then: the box did not always cover
    // the part the paint was for.)
    const int width = area.right - area.left;
    // About a quarter of a megabyte a band: a few dozen rows across a screen.
    constexpr long kBandBytes = 256 * 1024;
    const std::vector<RowBand> bands = PaintBands(area.top, area.bottom, width, kBandBytes);
    if (bands.empty())
        return true;
    Buffer buffer(dc, width, bands.front().bottom - bands.front().top);
    if (!buffer)
        return false;
    for (const RowBand& band : bands) {
        {
            SavedState state(buffer.dc());  // every band starts from the same settings
            ::SetViewportOrgEx(buffer.dc(), -area.left, -band.top, nullptr);
            paint(buffer.dc(), context);
        }
        ::BitBlt(dc, area.left, band.top, width, band.bottom - band.top, buffer.dc(), 0, 0, SRCCOPY);
    }
    return true;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, background thread, no external codecs
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

GdiplusSession::~GdiplusSession() {
    if (m_token)
        Gdiplus::GdiplusShutdown(m_token);
}

bool GdiplusStarted() {
    static GdiplusSession session;  // the UI thread's, like every picture
    return session.ok();
}

}  // namespace fw::gdi
