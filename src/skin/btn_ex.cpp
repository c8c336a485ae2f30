#include "skin/btn_ex.h"

#include "skin/accessible_win.h"

#include "framework/app.h"
#include "skin/hover.h"
#include "skin/skin_image.h"

#include <commctrl.h>

namespace ovn::skin {

CBtnEx::~CBtnEx() {
    DestroyToolTip();
    // A button we created goes with us; a template button lives on unsubclassed.
    if (hwnd() && m_created)
        Destroy();
}

bool CBtnEx::Subclass(HWND button) {
    if (!button || !fw::Window::Subclass(button))
        return false;
    PreSubclassWindow();
    return true;
}

bool CBtnEx::Create(const wchar_t* text, DWORD style, const RECT& rc, HWND parent, UINT id) {
    DestroyToolTip();
    if (hwnd())
        Destroy();
    HWND h = ::CreateWindowExW(0, WC_BUTTONW, text ? text : L"", style, rc.left, rc.top,
                               rc.right - rc.left, rc.bottom - rc.top, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (!h)
        return false;
    if (!Subclass(h)) {
        ::DestroyWindow(h);
        return false;
    }
    m_created = true;
    return true;
}

void CBtnEx::PreSubclassWindow() {
    m_created = false;
    const int len = ::GetWindowTextLengthW(hwnd());
    m_strText.assign(static_cast<std::size_t>(len > 0 ? len : 0), L'\0');
    if (len > 0)
        m_strText.resize(static_cast<std::size_t>(
            ::GetWindowTextW(hwnd(), m_strText.data(), len + 1)));
    fw::ChangeStyle(hwnd(), BS_OWNERDRAW, BS_TYPEMASK);
    CaptureWindowRect();
}

void CBtnEx::CaptureWindowRect() {
    if (hwnd())
        ::GetWindowRect(hwnd(), &m_rcWindow);
}

void CBtnEx::SetTextStrip(HBITMAP strip, bool resize) {
    if (!hwnd())
        return;
    SetImage(strip, resize);
    wchar_t caption[8] = {};
    ::GetWindowTextW(hwnd(), caption, 8);
    m_strText = caption;
}

int CBtnEx::SetImage(HBITMAP strip, bool resize) {
    const SIZE s = gdi::BitmapSize(strip);
    const Size cell = StripCellSize(s.cx, s.cy);
    m_imgList.reset();
    if (cell.cx > 0) {
        m_imgList.reset(::ImageList_Create(cell.cx, cell.cy, ILC_COLOR24 | ILC_MASK, 4, 0));
        // ImageList_AddMasked blackens the key-coloured pixels of the bitmap it is
        // given; a strip set again later (the launcher swaps its sound and hall
        // images back and forth) would then have no transparent pixels left.
        gdi::Bitmap copy(static_cast<HBITMAP>(::CopyImage(strip, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (m_imgList && copy)
            ::ImageList_AddMasked(m_imgList.get(), copy.get(), SkinKeyColor);
        if (resize && hwnd())
            ::SetWindowPos(hwnd(), nullptr, 0, 0, cell.cx, cell.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CaptureWindowRect();
    return 1;
}

void CBtnEx::SetToolTip(const wchar_t* text) {
    const std::wstring was = m_bToolTip ? m_strToolTip : std::wstring();
    m_strToolTip = text ? text : L"";
    m_bToolTip = true;
    if (m_strToolTip != was && m_strAccName.empty())
        NotifyAccessible(EVENT_OBJECT_NAMECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);  // it is the name
    if (m_toolTip || !hwnd())
        return;
    fw::UseCommonControls();
    m_toolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!m_toolTip)
        return;
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = 0;
    ti.hwnd = hwnd();
    ti.uId = 0;
    ::GetClientRect(hwnd(), &ti.rect);
    ti.lpszText = LPSTR_TEXTCALLBACKW;  // asked for when shown: always the current text
    ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(m_toolTip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(660, 0));
}

void CBtnEx::DestroyToolTip() {
    if (m_toolTip) {
        ::DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
    }
}

bool CBtnEx::PreTranslateMessage(MSG& msg) {
    if (m_bToolTip && m_toolTip)
        ::SendMessageW(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    return fw::Window::PreTranslateMessage(msg);
}

bool CBtnEx::ReflectDrawItem(LPARAM lParam) {
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!dis || dis->CtlType != ODT_BUTTON)
        return false;
    auto* button = dynamic_cast<CBtnEx*>(fw::Window::FromHandle(dis->hwndItem));
    if (!button)
        return false;
    button->DrawItem(*dis);
    return true;
}

void CBtnEx::DrawItem(const DRAWITEMSTRUCT& dis) {
    const ButtonLook look = ChooseButtonCell(dis.itemState, m_bPressed, m_bHover);
    m_bPressed = look.pressed;
    m_nLastCell = look.cell;

    const int w = m_rcWindow.right - m_rcWindow.left;
    const int h = m_rcWindow.bottom - m_rcWindow.top;
    gdi::Buffer buffer(dis.hDC, w, h);
    if (!buffer)
        return;
    HDC dc = buffer.dc();
    DrawParentBackground(hwnd(), dc);

    if (m_imgList) {
        IMAGEINFO info{};
        if (::ImageList_GetImageInfo(m_imgList.get(), look.cell, &info)) {
            const int cw = info.rcImage.right - info.rcImage.left;
            const int ch = info.rcImage.bottom - info.rcImage.top;
            if (cw == w && ch == h) {
                ::ImageList_Draw(m_imgList.get(), look.cell, dc, 0, 0, ILD_TRANSPARENT);
            } else {
                // Scale through a key-filled cell so the see-through parts stay so.
                gdi::Buffer cell(dis.hDC, cw, ch);
                gdi::Brush key(::CreateSolidBrush(SkinKeyColor));
                if (cell && key) {
                    RECT all{0, 0, cw, ch};
                    ::FillRect(cell.dc(), &all, key.get());
                    ::ImageList_Draw(m_imgList.get(), look.cell, cell.dc(), 0, 0, ILD_TRANSPARENT);
                    ::TransparentBlt(dc, 0, 0, w, h, cell.dc(), 0, 0, cw, ch, SkinKeyColor);
                }
            }
        }
    }

    if (!m_strText.empty()) {
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, look.cell == CellDisabled ? ::GetSysColor(COLOR_GRAYTEXT) : m_crText);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
        if (!font)
            font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        gdi::Select sel(dc, font);
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        ::DrawTextW(dc, m_strText.c_str(), static_cast<int>(m_strText.size()), &client,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    ::BitBlt(dis.hDC, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

AccFace CBtnEx::AccessibleFace() const {
    wchar_t caption[128] = {};
    ::GetWindowTextW(hwnd(), caption, 128);
    return ButtonFace(m_strAccName, caption, m_bToolTip ? m_strToolTip : std::wstring(), m_bAccPressed);
}

void CBtnEx::SetAccessibleName(const wchar_t* name) { m_strAccName = name ? name : L""; }

void CBtnEx::SetAccessiblePressed(bool pressed) {
    if (m_bAccPressed == pressed)
        return;
    m_bAccPressed = pressed;
    NotifyAccessible(EVENT_OBJECT_STATECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CBtnEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETOBJECT || msg == AccessibleFaceMessage())
        if (std::optional<LRESULT> answer = AnswerAccessible(hwnd(), msg, wParam, lParam, AccessibleFace()))
            return *answer;
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;  // the face covers everything
    case WM_MOUSEMOVE:
        TrackHover(hwnd(), m_bTracking);
        return Default();
    case WM_MOUSEHOVER:
        SetHover(hwnd(), m_bHover, m_bTracking, true);
        if (m_bToolTip && m_toolTip) {
            TTTOOLINFOW ti{};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.hwnd = hwnd();
            ti.uId = 0;
            ti.lpszText = m_strToolTip.data();
            ::SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        }
        return 0;
    case WM_MOUSELEAVE:
        SetHover(hwnd(), m_bHover, m_bTracking, false);
        return 0;
    case WM_LBUTTONUP:
        m_bPressed = false;
        return Default();
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr && hdr->hwndFrom == m_toolTip && hdr->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            info->lpszText = m_strToolTip.data();
            return 0;
        }
        return Default();
    }
    case WM_NCDESTROY:
        DestroyToolTip();
        return Default();
    default:
        return Default();
    }
}

}  // namespace ovn::skin
