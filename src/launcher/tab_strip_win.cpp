#include "launcher/tab_strip_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/app.h"
#include "launcher/kelvor3_dlg.h"
#include "skin/skin_image.h"

#include "res/skin_ids.h"

namespace ovn {

namespace {

// A masked image list of three equal images cut from one skin strip.
gdi::ImageList StripImageList(UINT imageId) {
    gdi::Bitmap strip = skin::LoadSkinImage(imageId);
    SIZE size = gdi::BitmapSize(strip.get());
    if (!strip || size.cx < 3 || size.cy <= 0)
        return {};
    gdi::ImageList list(::ImageList_Create(size.cx / 3, size.cy, ILC_COLOR24 | ILC_MASK, 0, 0));
    if (list)
        ::ImageList_AddMasked(list.get(), strip.get(), skin::SkinKeyColor);
    return list;
}

RECT ToRect(const launcher::Span& s) { return RECT{s.left, s.top, s.right, s.bottom}; }

void DrawImage(HIMAGELIST list, int image, const launcher::Span& at, HDC dc) {
    ::ImageList_DrawEx(list, image, dc, at.left, at.top, at.right - at.left, at.bottom - at.top, CLR_DEFAULT,
                       CLR_DEFAULT, ILD_TRANSPARENT);
}

}  // namespace

void CTabStrip::SetUp(HWND launcher) {
    m_launcher = launcher;
    m_imgTabs = StripImageList(IDB_TABS);
    m_imgClose = StripImageList(IDB_TAB_CLOSE);

    fw::UseCommonControls();
    m_tabTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, launcher, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!m_tabTip)
        return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = launcher;
    tool.uId = 0;
    tool.rect = RECT{0, 0, 0x7FFF, 0x7FFF};  // the whole window, whatever its size
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(m_tabTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tabTip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 500);
    ::SendMessageW(m_tabTip, TTM_ACTIVATE, FALSE, 0);  // on over a tab only
}

void CTabStrip::RelayEvent(MSG& msg) const {
    if (m_tabTip)
        ::SendMessageW(m_tabTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CTabStrip::Paint(HDC dc, HFONT font, std::size_t tabs, const std::vector<std::wstring>& labels,
                      int selected) const {
    if (tabs == 0)
        return;
    gdi::Select useFont(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    // Black, as a fresh device context writes; the frame's title left it white.
    const COLORREF oldColour = ::SetTextColor(dc, RGB(0, 0, 0));
    const int hover = m_state.Hover();
    for (int i = 0; i < static_cast<int>(tabs); ++i) {
        if (m_imgTabs)
            DrawImage(m_imgTabs.get(), launcher::TabImageFor(i, selected, hover), launcher::TabRect(i), dc);
        if (i == hover && m_state.CloseState() != launcher::CloseNone && m_imgClose)
            DrawImage(m_imgClose.get(), m_state.CloseState(), launcher::TabCloseBoxRect(i), dc);
        if (static_cast<std::size_t>(i) < labels.size()) {
            RECT text = ToRect(launcher::TabLabelRect(i));
            ::DrawTextW(dc, labels[i].c_str(), static_cast<int>(labels[i].size()), &text,
                        DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
        }
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

void CTabStrip::Repaint(const std::vector<launcher::Span>& spans) const {
    for (const launcher::Span& s : spans) {
        const RECT r = ToRect(s);
        ::InvalidateRect(m_launcher, &r, TRUE);
    }
}

void CTabStrip::MouseAt(POINT client, std::size_t tabs, const std::vector<std::wstring>& labels,
                        bool overCaption) {
    const bool leftDown = (::GetKeyState(VK_LBUTTON) & 0x8000) != 0;
    const launcher::HoverOutcome o = m_state.MouseAt(client.x, client.y, tabs, leftDown, overCaption);
    if (m_tabTip && o.tipTextTab >= 0) {
        const std::size_t at = static_cast<std::size_t>(o.tipTextTab);
        std::wstring text = at < labels.size() ? labels[at] : std::wstring();
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_launcher;
        tool.uId = 0;
        tool.lpszText = text.data();
        ::SendMessageW(m_tabTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (m_tabTip && o.tip != launcher::TipChange::Keep)
        ::SendMessageW(m_tabTip, TTM_ACTIVATE, o.tip == launcher::TipChange::Activate, 0);
    Repaint(o.repaint);
    if (o.track != launcher::LeaveTracking::None) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_LEAVE | (o.track == launcher::LeaveTracking::NonClient ? TME_NONCLIENT : 0);
        tme.hwndTrack = m_launcher;
        tme.dwHoverTime = HOVER_DEFAULT;
        m_state.LeaveTracked(o.track, ::TrackMouseEvent(&tme) != FALSE);
    }
}

void CTabStrip::MouseLeft() { Repaint(m_state.MouseLeft()); }

bool CTabStrip::Press(POINT client, std::size_t tabs, int selected, bool hallShown, int& show) {
    const launcher::PressOutcome o = m_state.Press(client.x, client.y, tabs, selected, hallShown);
    show = o.show;
    Repaint(o.repaint);
    return o.handled;
}

// The launcher's side: which of its messages the strip takes, and what the frame
// still does with them. In the normal state the frame calls the caption band
// caption, so the mouse messages over the tabs come as non-client ones (screen
// points); maximised, the band is client area and they come as client ones.
bool CKelvor3Dlg::HandleTabStripMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    const std::size_t tabs = Slots().PageCount();
    const auto clientPoint = [&] {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool screen = msg == WM_NCHITTEST || msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONUP ||
                            msg == WM_NCLBUTTONDBLCLK || msg == WM_NCMBUTTONUP;
        if (screen)
            ::ScreenToClient(hwnd(), &p);
        return p;
    };
    switch (msg) {
    case WM_NCHITTEST: {
        // The frame's answer stands: the normal window stays draggable by its caption.
        result = OnNcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        m_tabStrip.MouseAt(clientPoint(), tabs, Slots().Labels(), result == HTCAPTION);
        return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_LBUTTONDOWN: {
        // Over a tab the press selects it and never starts the caption's move loop.
        int show = -1;
        if (!m_tabStrip.Press(clientPoint(), tabs, static_cast<int>(Slots().Selected()), Slots().HallShown(), show))
            return false;
        if (show >= 0)
            ShowPage(PageWindow(static_cast<std::size_t>(show)));
        result = msg == WM_LBUTTONDOWN ? Default() : 0;
        return true;
    }
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: {
        const POINT p = clientPoint();
        if (!launcher::HitTestTabs(p.x, p.y, tabs).Over())
            return false;
        const int close = launcher::TabStrip::ReleaseCloses(p.x, p.y, tabs);
        if (close >= 0)
            ClosePage(close);
        result = Default();
        return true;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK: {
        // A double click on a tab neither maximises nor restores the window.
        const POINT p = clientPoint();
        if (!launcher::HitTestTabs(p.x, p.y, tabs).Over())
            return false;
        result = 0;
        return true;
    }
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP: {
        const POINT p = clientPoint();
        const int close = launcher::TabStrip::MiddleCloses(p.x, p.y, tabs);
        if (close < 0)
            return false;
        ClosePage(close);
        result = Default();
        return true;
    }
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        m_tabStrip.MouseLeft();
        return false;  // and the default processing
    }
    return false;
}

void CKelvor3Dlg::PaintOverFrame(HDC dc, int, int) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    m_tabStrip.Paint(dc, font, Slots().PageCount(), Slots().Labels(), static_cast<int>(Slots().Selected()));
}

}  // namespace ovn
