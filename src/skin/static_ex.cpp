#include "skin/static_ex.h"

#include "skin/accessible_win.h"

#include "skin/hover.h"
#include "skin/label_layout.h"
#include "skin/skin_image.h"

#include <commctrl.h>

#include <string_view>

namespace ovn::skin {

bool CStaticEx::Subclass(HWND label) {
    if (!label || !fw::Window::Subclass(label))
        return false;
    PreSubclassWindow();
    return true;
}

void CStaticEx::PreSubclassWindow() {
    const int len = ::GetWindowTextLengthW(hwnd());
    m_strText.assign(static_cast<std::size_t>(len > 0 ? len : 0), L'\0');
    if (len > 0)
        m_strText.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd(), m_strText.data(), len + 1)));
}

BOOL CStaticEx::SetImage(HBITMAP bitmap) {
    if (!bitmap)
        return FALSE;
    const SIZE s = gdi::BitmapSize(bitmap);
    m_nImageWidth = s.cx;
    m_nImageHeight = s.cy;
    m_imgList.reset(::ImageList_Create(s.cx, s.cy, ILC_COLOR24 | ILC_MASK, 1, 0));
    // ImageList_AddMasked blackens the key-coloured pixels of what it is given:
    // hand it a copy, the caller's bitmap stays as it was.
    gdi::Bitmap copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (m_imgList && copy)
        ::ImageList_AddMasked(m_imgList.get(), copy.get(), SkinKeyColor);
    return TRUE;
}

HFONT CStaticEx::GetLabelFont() {
    if (m_font)
        return m_font.get();
    HFONT base = hwnd() ? reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)) : nullptr;
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    LOGFONTW lf{};
    ::GetObjectW(base, sizeof lf, &lf);
    if (m_nFontHeight != 0)
        lf.lfHeight = m_nFontHeight;
    if (m_nFontWeight != -1)
        lf.lfWeight = m_nFontWeight;
    if (m_bUnderline)
        lf.lfUnderline = TRUE;
    lstrcpynW(lf.lfFaceName, L"微软雅黑", LF_FACESIZE);
    m_font.reset(::CreateFontIndirectW(&lf));
    return m_font.get();
}

void CStaticEx::DrawLabelText(HDC dc) {
    RECT rc{};
    ::GetClientRect(hwnd(), &rc);
    const DisplayScale scale = LayoutScale(hwnd());
    const Rect area = LabelTextArea(Rect{rc.left, rc.top, rc.right, rc.bottom}, m_nImageWidth, scale);
    const UINT flags = LabelDrawFlags(static_cast<unsigned>(::GetWindowLongPtrW(hwnd(), GWL_STYLE)));

    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, LabelTextColor(m_crText, m_crHover, m_bHoverColor, m_bHover));
    gdi::Select font(dc, GetLabelFont());

    // Measured on one line: a word-breaking measure would never come out wider
    // than the area, and wrapping is decided here.
    auto measure = [dc](std::wstring_view s) {
        RECT r{};
        ::DrawTextW(dc, s.data(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    const SIZE sample = measure(kLabelSample);
    const LabelLayout layout = LayoutLabelText(m_strText, area, sample.cx, sample.cy, m_nLineSpacing,
                                               [&](std::wstring_view s) { return measure(s).cx; }, scale);
    for (const LabelLine& line : layout.lines) {
        if (line.text.empty())
            continue;
        RECT r{line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
        ::DrawTextW(dc, line.text.c_str(), static_cast<int>(line.text.size()), &r, flags);
    }

    RECT wr{};
    ::GetWindowRect(hwnd(), &wr);
    if (const int height = LabelGrowth(wr.bottom - wr.top, layout.neededHeight)) {
        ::MapWindowPoints(nullptr, ::GetParent(hwnd()), reinterpret_cast<POINT*>(&wr), 2);
        ::MoveWindow(hwnd(), wr.left, wr.top, wr.right - wr.left, height, TRUE);
    }
}

void CStaticEx::OnPaint() {
    gdi::PaintDC paint(hwnd());
    RECT rc{};
    ::GetClientRect(hwnd(), &rc);
    const int w = rc.right, h = rc.bottom;
    gdi::Buffer buffer(paint.get(), w, h);
    if (!buffer)
        return;
    HDC dc = buffer.dc();
    DrawParentBackground(hwnd(), dc);
    if (m_imgList)
        ::ImageList_Draw(m_imgList.get(), 0, dc, LabelImageLeft(LayoutScale(hwnd())), LabelImageTop(h, m_nImageHeight),
                         ILD_TRANSPARENT);
    DrawLabelText(dc);
    ::BitBlt(paint.get(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

LRESULT CStaticEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETOBJECT || msg == AccessibleFaceMessage())
        if (std::optional<LRESULT> answer =
                AnswerAccessible(hwnd(), msg, wParam, lParam, LabelFace(m_strText, m_bLink)))
            return *answer;
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // the paint covers everything
    case WM_SETCURSOR:
        if (m_bLink)
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;  // a plain label leaves the cursor as it was
    case WM_MOUSEMOVE:
        TrackHover(hwnd(), m_bTracking);
        return Default();
    case WM_MOUSEHOVER:
        SetHover(hwnd(), m_bHover, m_bTracking, true);
        return 0;
    case WM_MOUSELEAVE:
        SetHover(hwnd(), m_bHover, m_bTracking, false);
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE: {
        // The plain static draws itself straight away on these; paint it over.
        return DefaultThenRepaint();
    }
    default:
        return Default();
    }
}

}  // namespace ovn::skin
