#include "skin/img_progress.h"

#include "skin/accessible_win.h"

#include "skin/progress_fill.h"
#include "skin/skin_image.h"

#include <commctrl.h>

namespace ovn::skin {

void CImgProgress::SetImages(gdi::Bitmap background, gdi::Bitmap bar) {
    m_hBackground = std::move(background);
    m_hBar = std::move(bar);
    const SIZE bg = gdi::BitmapSize(m_hBackground.get());
    const SIZE fill = gdi::BitmapSize(m_hBar.get());
    if (hwnd())
        ::SetWindowPos(hwnd(), nullptr, 0, 0, bg.cx, bg.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const ProgressLayout l = LayoutProgress(Size{bg.cx, bg.cy}, Size{fill.cx, fill.cy});
    m_rcControl = RECT{l.control.left, l.control.top, l.control.right, l.control.bottom};
    m_rcBar = RECT{l.bar.left, l.bar.top, l.bar.right, l.bar.bottom};
    if (hwnd())
        ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CImgProgress::OnPaint() {
    gdi::PaintDC paint(hwnd());
    RECT area = m_rcControl;
    if (!m_hBackground)
        ::GetClientRect(hwnd(), &area);  // no images: the parent's skin alone
    const int w = area.right - area.left, h = area.bottom - area.top;
    gdi::Buffer buffer(paint.get(), w, h);
    if (!buffer)
        return;
    HDC dc = buffer.dc();
    DrawParentBackground(hwnd(), dc);

    gdi::MemoryDC source(::CreateCompatibleDC(dc));
    if (source && m_hBackground) {
        gdi::Select sel(source.get(), m_hBackground.get());
        ::TransparentBlt(dc, 0, 0, w, h, source.get(), 0, 0, w, h, SkinKeyColor);
    }
    if (source && m_hBar) {
        const int pos = static_cast<int>(::SendMessageW(hwnd(), PBM_GETPOS, 0, 0));
        PBRANGE range{};
        ::SendMessageW(hwnd(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        const Rect bar{m_rcBar.left, m_rcBar.top, m_rcBar.right, m_rcBar.bottom};
        gdi::Select sel(source.get(), m_hBar.get());
        for (const Blit& b : ProgressFillPieces(bar, pos, range.iLow, range.iHigh))
            ::TransparentBlt(dc, b.dst.left, b.dst.top, b.dst.Width(), b.dst.Height(), source.get(), b.src.left,
                             b.src.top, b.src.Width(), b.src.Height(), SkinKeyColor);
    }
    ::BitBlt(paint.get(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

LRESULT CImgProgress::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETOBJECT || msg == AccessibleFaceMessage()) {
        const int position = static_cast<int>(::SendMessageW(hwnd(), PBM_GETPOS, 0, 0));
        const int range = static_cast<int>(::SendMessageW(hwnd(), PBM_GETRANGE, FALSE, 0));
        if (std::optional<LRESULT> answer =
                AnswerAccessible(hwnd(), msg, wParam, lParam, ProgressFace(position, range)))
            return *answer;
    }
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;  // the paint covers everything
    case WM_PAINT:
        OnPaint();
        return 0;
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        // The control may repaint only the stretch it would have filled itself; our
        // right piece moves whenever the length changes, so all of it is redrawn.
        return DefaultThenRepaint();
    }
    default:
        return Default();
    }
}

}  // namespace ovn::skin
