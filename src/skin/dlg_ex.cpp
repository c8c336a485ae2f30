#include "skin/dlg_ex.h"

#include "res/skin_ids.h"
#include "skin/skin_image.h"
#include "skin/skin_scale.h"
#include "common/newer_windows.h"

#include <windowsx.h>

#include <vector>

namespace ovn::skin {

namespace {

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

LRESULT ToHitCode(FrameHit hit) {
    switch (hit) {
    case FrameHit::Caption: return HTCAPTION;
    case FrameHit::Left: return HTLEFT;
    case FrameHit::Right: return HTRIGHT;
    case FrameHit::Top: return HTTOP;
    case FrameHit::TopLeft: return HTTOPLEFT;
    case FrameHit::TopRight: return HTTOPRIGHT;
    case FrameHit::Bottom: return HTBOTTOM;
    case FrameHit::BottomLeft: return HTBOTTOMLEFT;
    case FrameHit::BottomRight: return HTBOTTOMRIGHT;
    default: return HTNOWHERE;
    }
}

FrameHit FromHitCode(WPARAM code) {
    switch (code) {
    case HTLEFT: return FrameHit::Left;
    case HTRIGHT: return FrameHit::Right;
    case HTTOP: return FrameHit::Top;
    case HTTOPLEFT: return FrameHit::TopLeft;
    case HTTOPRIGHT: return FrameHit::TopRight;
    case HTBOTTOM: return FrameHit::Bottom;
    case HTBOTTOMLEFT: return FrameHit::BottomLeft;
    case HTBOTTOMRIGHT: return FrameHit::BottomRight;
    case HTCAPTION: return FrameHit::Caption;
    default: return FrameHit::Default;
    }
}

SIZE WindowSize(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT DialogFont(HWND hwnd) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

CDlgEx::CDlgEx(UINT templateId) : fw::Dialog(templateId) {}

CDlgEx::~CDlgEx() {
    // Destroy while this class's handlers still run, before the buttons and
    // bitmaps it draws with go away.
    if (hwnd())
        Destroy();
}

bool CDlgEx::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    HWND h = hwnd();
    fw::ChangeStyle(h, WS_MINIMIZEBOX, WS_CAPTION | DS_MODALFRAME);
    fw::ChangeExStyle(h, 0, WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
    // No non-client area from here on: the client is the whole window.
    ::SetWindowPos(h, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_scale = LayoutScale(h);
    m_nFontDpi = WindowDpi(h);
    m_hFontMade = DialogFont(h);
    FitDialogFont();

    const RECT wa = fw::WorkArea();
    m_sizeMax = SIZE{wa.right - wa.left, wa.bottom - wa.top};
    const Rect r = InitialRestoreRect(ToRect(wa));
    m_rcRestore = RECT{r.left, r.top, r.right, r.bottom};
    return true;
}

bool CDlgEx::CreateSystemButton(CBtnEx& button, int right, int top, UINT id, HBITMAP strip,
                                const wchar_t* tip) {
    const SIZE s = gdi::BitmapSize(strip);
    const Size cell = StripCellSize(s.cx, s.cy);
    const RECT rc{right - cell.cx, top, right, top + cell.cy};
    if (!button.Create(L"", WS_CHILD | WS_VISIBLE, rc, hwnd(), id))
        return false;
    button.SetImage(strip, false);
    button.SetToolTip(tip);
    return true;
}

int CDlgEx::SetSkin(gdi::Bitmap frame, bool fitToFrame, bool stretch, HBITMAP minimize,
                    gdi::Bitmap maximize, gdi::Bitmap restore, HBITMAP close) {
    m_bmpFrame = std::move(frame);
    m_bStretchFrame = stretch;
    const SIZE bm = gdi::BitmapSize(m_bmpFrame.get());

    RECT layout{};
    if (fitToFrame) {
        ::SetWindowPos(hwnd(), nullptr, 0, 0, bm.cx, bm.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout = RECT{0, 0, bm.cx, bm.cy};
    } else {
        ::GetClientRect(hwnd(), &layout);
    }
    UpdateWindowRegion();

    // Buttons of an earlier skin that this one does not have go away.
    if (!close || !maximize)
        m_btnMaximize.Destroy();
    if (!close || !minimize)
        m_btnMinimize.Destroy();
    if (!close)
        m_btnClose.Destroy();
    if (!close)
        return 1;  // minimise and maximise only come with a close button

    int x = layout.right - m_scale.Px(m_nButtonRightMargin);
    const int y = m_scale.Px(m_nButtonTop);
    const int gap = m_scale.Px(m_nButtonGap);
    CreateSystemButton(m_btnClose, x, y, kIdSysClose, close, kTextClose);
    const int closeWidth = WindowSize(m_btnClose.hwnd()).cx;
    if (maximize) {
        x = x - closeWidth - gap;
        CreateSystemButton(m_btnMaximize, x, y, kIdSysMaximize, maximize.get(), kTextMaximize);
        m_bmpMaximize = std::move(maximize);
        m_bmpRestore = std::move(restore);
        m_bMaximized = false;
    }
    if (minimize) {
        x = x - (m_btnMaximize.hwnd() ? WindowSize(m_btnMaximize.hwnd()).cx : closeWidth) - gap;
        CreateSystemButton(m_btnMinimize, x, y, kIdSysMinimize, minimize, kTextMinimize);
    }
    return 1;
}

void CDlgEx::UpdateWindowRegion() {
    if (!m_bmpFrame || !hwnd())
        return;
    const SIZE win = WindowSize(hwnd());
    SIZE bm{};
    const std::vector<std::uint32_t> pixels = gdi::ReadPixels(m_bmpFrame.get(), bm);
    if (pixels.empty() || win.cx <= 0 || win.cy <= 0)
        return;
    auto isKey = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= bm.cx || y >= bm.cy)
            return false;
        // blue, green, red in the low three bytes: magenta is 0xFF00FF
        return (pixels[static_cast<std::size_t>(y) * bm.cx + x] & 0xFFFFFFu) == 0xFF00FFu;
    };
    const auto runs = CornerCutRuns(bm.cx, bm.cy, win.cx, win.cy, isKey, m_scale);

    gdi::Region shape(::CreateRectRgn(0, 0, win.cx, win.cy));
    if (!shape)
        return;
    for (const PixelRun& r : runs) {
        gdi::Region cut(::CreateRectRgn(r.x0, r.y, r.x1, r.y + 1));
        if (cut)
            ::CombineRgn(shape.get(), shape.get(), cut.get(), RGN_DIFF);
    }
    CutFromShape(shape.get());
    // The window owns the region once it has accepted it.
    if (::SetWindowRgn(hwnd(), shape.get(), FALSE))
        shape.release();
}

void CDlgEx::InvalidateSystemButtons() {
    for (CBtnEx* b : {&m_btnClose, &m_btnMaximize, &m_btnMinimize})
        if (b->hwnd())
            ::InvalidateRect(b->hwnd(), nullptr, TRUE);
}

void CDlgEx::SetFrameSpacing(const FrameSpacing& spacing) {
    m_nCaptionHeight = spacing.captionHeight;
    m_nBorderWidth = spacing.borderWidth;
    m_nButtonRightMargin = spacing.buttonRightMargin;
    m_nButtonTop = spacing.buttonTop;
    m_nButtonGap = spacing.buttonGap;
}

void CDlgEx::SetSmallDialogSkin(const wchar_t* title) {
    SetFrameSpacing({});
    SetCaptionText(title);
    m_bSmallDialogSkin = true;
    LoadSmallDialogSkin();
}

void CDlgEx::LoadSmallDialogSkin() {
    gdi::Bitmap close = LoadSkinImage(IDB_BTN_CLOSE, m_scale);  // copied into the button
    SetSkin(LoadSkinImage(IDB_DLG_FRAME, m_scale), false, true, nullptr, {}, {}, close.get());
}

void CDlgEx::SetTextButtons(std::initializer_list<CBtnEx*> buttons, bool resize) {
    m_textButtons.assign(buttons.begin(), buttons.end());
    m_bResizeTextButtons = resize;
    LoadTextButtons();
}

void CDlgEx::LoadTextButtons() {
    m_bmpTextButton = LoadSkinImage(IDB_BTN_TEXT, m_scale);
    for (CBtnEx* button : m_textButtons)
        button->SetTextStrip(m_bmpTextButton.get(), m_bResizeTextButtons);
}

void CDlgEx::RequestClose() { ::PostMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }

void CDlgEx::RequestMinimize() { ::PostMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

int CDlgEx::ToggleMaximize() {
    if (m_bMaximized) {
        ::MoveWindow(hwnd(), m_rcRestore.left, m_rcRestore.top, m_rcRestore.right - m_rcRestore.left,
                     m_rcRestore.bottom - m_rcRestore.top, TRUE);
        UpdateMaximizeButton(false);
    } else {
        const Rect r = MaximizedRect(ToRect(fw::WorkArea()), Size{m_sizeMax.cx, m_sizeMax.cy});
        ::MoveWindow(hwnd(), r.left, r.top, r.Width(), r.Height(), TRUE);
        UpdateMaximizeButton(true);
    }
    // The button has moved away from under the cursor.
    m_btnMaximize.m_bTracking = false;
    m_btnMaximize.m_bHover = false;
    m_bMaximized = !m_bMaximized;
    return 0;
}

void CDlgEx::UpdateMaximizeButton(bool maximized) {
    if (!m_btnMaximize.hwnd())
        return;
    HBITMAP strip = maximized && m_bmpRestore ? m_bmpRestore.get() : m_bmpMaximize.get();
    m_btnMaximize.SetImage(strip, false);
    m_btnMaximize.SetToolTip(maximized ? kTextRestore : kTextMaximize);
    ::InvalidateRect(m_btnMaximize.hwnd(), nullptr, FALSE);
}

gdi::Font CDlgEx::CreateTitleFont(LONG* height) const {
    LOGFONTW lf{};
    ::GetObjectW(DialogFont(hwnd()), sizeof lf, &lf);
    lf.lfWeight = m_nTitleWeight;
    lf.lfHeight = FontHeightAt(lf.lfHeight, m_nFontDpi, m_scale);
    lstrcpynW(lf.lfFaceName, L"微软雅黑", LF_FACESIZE);
    if (height)
        *height = lf.lfHeight;
    return gdi::Font(::CreateFontIndirectW(&lf));
}

void CDlgEx::SetCaptionText(const wchar_t* text) {
    HWND h = hwnd();
    if (!h)
        return;
    ::SetWindowTextW(h, text ? text : L"");
    const bool icon = m_bDrawIcon && ::SendMessageW(h, WM_GETICON, ICON_SMALL, 0) != 0;
    LOGFONTW lf{};
    HFONT font = DialogFont(h);
    ::GetObjectW(font, sizeof lf, &lf);
    const CaptionLayout cl = LayoutCaption(Metrics(), icon, FontHeightAt(lf.lfHeight, m_nFontDpi, m_scale), m_scale);

    RECT measured{cl.titleX, cl.titleY, cl.titleX, cl.titleY};
    {
        gdi::WindowDC dc(h);
        gdi::Select sel(dc.get(), font);
        ::DrawTextW(dc.get(), text ? text : L"", -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    }
    RECT client{};
    ::GetClientRect(h, &client);
    RECT strip{cl.titleX, cl.titleY, client.right, measured.bottom};
    ::InvalidateRect(h, &strip, TRUE);
}

void CDlgEx::PaintFrame(HDC dc, int w, int h) {
    const SIZE bm = gdi::BitmapSize(m_bmpFrame.get());
    gdi::MemoryDC src(::CreateCompatibleDC(dc));
    if (!src)
        return;
    gdi::Select sel(src.get(), m_bmpFrame.get());
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    for (const Blit& b : FramePieces(bm.cx, bm.cy, w, h, Metrics(), m_bStretchFrame)) {
        if (b.stretch)
            ::StretchBlt(dc, b.dst.left, b.dst.top, b.dst.Width(), b.dst.Height(), src.get(),
                         b.src.left, b.src.top, b.src.Width(), b.src.Height(), SRCCOPY);
        else
            ::BitBlt(dc, b.dst.left, b.dst.top, b.dst.Width(), b.dst.Height(), src.get(),
                     b.src.left, b.src.top, SRCCOPY);
    }
    ::SetStretchBltMode(dc, oldMode);
}

BOOL CDlgEx::OnEraseBkgnd(HDC dc) {
    if (!m_bmpFrame)
        return FALSE;
    const SIZE win = WindowSize(hwnd());
    // A control painting our skin under itself hands us its own off-screen
    // buffer: the skin goes straight there. Only a paint on the screen is
    // composed off screen first, against flicker.
    if (::GetObjectType(dc) == OBJ_MEMDC) {
        gdi::SavedState state(dc);
        PaintSkin(dc, win);
        return TRUE;
    }
    const RECT whole{0, 0, win.cx, win.cy};
    return gdi::PaintInBands(dc, whole, [&](HDC band) { PaintSkin(band, win); }) ? TRUE : FALSE;
}

void CDlgEx::PaintSkin(HDC bdc, SIZE win) {
    PaintFrame(bdc, win.cx, win.cy);

    HICON icon = reinterpret_cast<HICON>(::SendMessageW(hwnd(), WM_GETICON, ICON_SMALL, 0));
    const bool drawIcon = icon && m_bDrawIcon;
    LONG fontHeight = 0;
    gdi::Font titleFont = m_bDrawTitle ? CreateTitleFont(&fontHeight) : gdi::Font();
    const CaptionLayout cl = LayoutCaption(Metrics(), drawIcon, fontHeight, m_scale);
    if (drawIcon)
        ::DrawIconEx(bdc, cl.iconX, cl.iconY, icon, m_scale.Px(16), m_scale.Px(16), 0, nullptr, DI_NORMAL);
    if (m_bDrawTitle && titleFont) {
        const int len = ::GetWindowTextLengthW(hwnd());
        std::wstring title(static_cast<std::size_t>(len > 0 ? len : 0) + 1, L'\0');
        const int got = ::GetWindowTextW(hwnd(), title.data(), len + 1);
        ::SetBkMode(bdc, TRANSPARENT);
        ::SetTextColor(bdc, m_crTitleText);
        gdi::Select sel(bdc, titleFont.get());
        ::TextOutW(bdc, cl.titleX, cl.titleY, title.c_str(), got);
    }
    PaintOverFrame(bdc, win.cx, win.cy);
}

LRESULT CDlgEx::OnNcHitTest(POINT pt) {
    ::ScreenToClient(hwnd(), &pt);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const FrameHit hit = HitTestFrame(pt.x, pt.y, client.right, client.bottom, Metrics(),
                                      FrameState{m_bMaximized, m_bResizable}, m_scale);
    if (hit == FrameHit::Default)
        return Default();
    return ToHitCode(hit);
}

LRESULT CDlgEx::OnNcLButtonDown(WPARAM hit, LPARAM point) {
    // The window has no sizing border of its own, so the edges start the size
    // loop themselves; the caption's move loop is the default one.
    if (const unsigned command = SizeCommandFor(FromHitCode(hit)))
        ::SendMessageW(hwnd(), WM_SYSCOMMAND, command, point);
    else
        Default();
    ::GetWindowRect(hwnd(), &m_rcRestore);
    return 0;
}

LRESULT CDlgEx::OnNcLButtonDblClk(WPARAM hit) {
    if (hit == HTCAPTION && m_bResizable) {
        ToggleMaximize();
        return 0;
    }
    return Default();
}

LRESULT CDlgEx::OnLButtonDblClk(LPARAM point) {
    if (m_bMaximized && InCaptionBand(GET_Y_LPARAM(point), Metrics().captionHeight))
        ToggleMaximize();
    return Default();
}

LRESULT CDlgEx::OnSize(int cx) {
    if (!m_bmpFrame)
        return 0;
    UpdateWindowRegion();
    ::InvalidateRect(hwnd(), nullptr, TRUE);

    CBtnEx* buttons[] = {&m_btnClose, &m_btnMaximize, &m_btnMinimize};
    std::vector<int> widths;
    std::vector<RECT> rects;
    for (CBtnEx* b : buttons) {
        RECT r{};
        if (b->hwnd()) {
            ::GetWindowRect(b->hwnd(), &r);
            ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
        }
        rects.push_back(r);
        widths.push_back(b->hwnd() ? r.right - r.left : 0);
    }
    const auto lefts = LayoutSystemButtons(cx - m_scale.Px(m_nButtonRightMargin), m_nButtonGap, widths, m_scale);
    for (std::size_t i = 0; i < 3; ++i)
        if (buttons[i]->hwnd())
            ::MoveWindow(buttons[i]->hwnd(), lefts[i], rects[i].top, widths[i],
                         rects[i].bottom - rects[i].top, TRUE);
    return 0;
}

LRESULT CDlgEx::OnDpiChanged(int dpi, const RECT* suggested) {
    const DisplayScale was = m_scale;
    m_scale = DisplayScale(LayoutDpi(dpi));
    // A dialog font the system made anew is made for the new DPI.
    if (HFONT now = DialogFont(hwnd()); now != m_hFontMade) {
        m_hFontMade = now;
        m_nFontDpi = dpi;
    }
    FitDialogFont();
    if (suggested)
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_scale != was) {
        // What this frame loaded itself is drawn anew for the scale; a derived
        // window loads the rest.
        if (m_bSmallDialogSkin)
            LoadSmallDialogSkin();
        if (!m_textButtons.empty())
            LoadTextButtons();
        OnScaleChanged();
    }
    UpdateWindowRegion();
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    return 0;
}

void CDlgEx::FitDialogFont() {
    HWND h = hwnd();
    if (!h || m_nFontDpi == m_scale.Dpi())
        return;
    const HFONT old = DialogFont(h);
    LOGFONTW lf{};
    if (!::GetObjectW(old, sizeof lf, &lf))
        return;
    lf.lfHeight = FontHeightAt(lf.lfHeight, m_nFontDpi, m_scale);
    gdi::Font fitted(::CreateFontIndirectW(&lf));
    if (!fitted)
        return;
    // Controls given another font of their own keep it.
    for (HWND child = ::GetWindow(h, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)) == old)
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fitted.get()), TRUE);
    m_hFontMade = fitted.get();
    m_nFontDpi = m_scale.Dpi();
    m_fontFitted = std::move(fitted);  // the one it replaces is no one's any more
}

void CDlgEx::ReleaseSkin() {
    m_bmpFrame.reset();
    m_bmpMaximize.reset();
    m_bmpRestore.reset();
}

LRESULT CDlgEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
        return OnNcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_GETFONT:
        // The font fitted to the layout's scale, whatever the dialog manager kept.
        if (m_fontFitted)
            return reinterpret_cast<LRESULT>(m_fontFitted.get());
        break;
    case kWmDpiChanged:
        return OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kIdSysClose: RequestClose(); return 0;
            case kIdSysMaximize: ToggleMaximize(); return 0;
            case kIdSysMinimize: RequestMinimize(); return 0;
            }
        }
        break;
    case WM_DRAWITEM:
        if (CBtnEx::ReflectDrawItem(lParam))
            return TRUE;
        break;
    case WM_NCLBUTTONDOWN:
        return OnNcLButtonDown(wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
        return OnNcLButtonDblClk(wParam);
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk(lParam);
    case WM_SIZE: {
        const LRESULT r = Default();
        OnSize(LOWORD(lParam));
        return r;
    }
    case WM_NCDESTROY: {
        const LRESULT r = fw::Dialog::WindowProc(msg, wParam, lParam);
        ReleaseSkin();
        return r;
    }
    }
    return fw::Dialog::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn::skin
