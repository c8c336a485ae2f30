#include "framework/gdi_handles.h"

#include <atomic>

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
