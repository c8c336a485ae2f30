#include "launcher/tab_strip_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/app.h"
#include "launcher/tab_access_win.h"
#include "skin/accessible_win.h"
#include "skin/skin_image.h"

#include "res/skin_ids.h"

namespace ovn {

namespace {

// A masked image list of three equal images cut from one skin strip.
gdi::ImageList StripImageList(UINT imageId, DisplayScale scale) {
    gdi::Bitmap strip = skin::LoadSkinImage(imageId, scale);
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

constexpr wchar_t kKeyWindowClass[] = L"OvnTabStrip";

DWORD WinEventOf(launcher::TabListEvent::Kind kind) {
    switch (kind) {
    case launcher::TabListEvent::Create: return EVENT_OBJECT_CREATE;
    case launcher::TabListEvent::Destroy: return EVENT_OBJECT_DESTROY;
    case launcher::TabListEvent::NameChange: return EVENT_OBJECT_NAMECHANGE;
    case launcher::TabListEvent::Reorder: return EVENT_OBJECT_REORDER;
    case launcher::TabListEvent::Selection: return EVENT_OBJECT_SELECTION;
    case launcher::TabListEvent::Focus: return EVENT_OBJECT_FOCUS;
    }
    return 0;
}

}  // namespace

void CTabStrip::LoadImages() {
    m_imgTabs = StripImageList(IDB_TABS, m_state.Scale());
    m_imgClose = StripImageList(IDB_TAB_CLOSE, m_state.Scale());
}

void CTabStrip::SetScale(DisplayScale scale) {
    const bool changed = scale != m_state.Scale();
    m_state.SetScale(scale);
    if (changed && m_launcher)
        LoadImages();  // the drawings for the new scale
}

void CTabStrip::SetUp(HWND launcher, TabStripHost& host) {
    m_launcher = launcher;
    m_host = &host;
    LoadImages();

    // The keyboard's place in the strip: no area (the strip is painted by the
    // launcher, whose mouse handling it keeps), first in the tab order, so the
    // launcher brought to the front has the keyboard on its tabs.
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!::GetClassInfoW(instance, kKeyWindowClass, &wc)) {
        wc.lpfnWndProc = &CTabStrip::KeyWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kKeyWindowClass;
        ::RegisterClassW(&wc);
    }
    const launcher::Span strip = launcher::TabStripRect(0, m_state.Scale());
    m_keys = ::CreateWindowExW(WS_EX_NOPARENTNOTIFY, kKeyWindowClass, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                               strip.left, strip.top, 0, 0, launcher, nullptr, instance, this);
    if (m_keys)
        ::SetWindowPos(m_keys, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_announced = Snapshot();

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
            DrawImage(m_imgTabs.get(), launcher::TabImageFor(i, selected, hover), launcher::TabRect(i, m_state.Scale()), dc);
        if (i == hover && m_state.CloseState() != launcher::CloseNone && m_imgClose)
            DrawImage(m_imgClose.get(), m_state.CloseState(), launcher::TabCloseBoxRect(i, m_state.Scale()), dc);
        if (static_cast<std::size_t>(i) < labels.size()) {
            RECT text = ToRect(launcher::TabLabelRect(i, m_state.Scale()));
            ::DrawTextW(dc, labels[i].c_str(), static_cast<int>(labels[i].size()), &text,
                        DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
        }
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    // The keyboard's mark on the current tab, as a tab control draws it.
    if (m_keys && ::GetFocus() == m_keys && selected >= 0 && selected < static_cast<int>(tabs)) {
        RECT mark = ToRect(launcher::TabRect(selected, m_state.Scale()));
        ::InflateRect(&mark, -3, -3);
        ::DrawFocusRect(dc, &mark);
    }
}

launcher::TabListSnapshot CTabStrip::Snapshot() const {
    launcher::TabListSnapshot s = m_host ? m_host->Tabs() : launcher::TabListSnapshot{};
    s.focused = m_keys && ::GetFocus() == m_keys;
    return s;
}

void CTabStrip::Changed() {
    if (!m_keys)
        return;
    const launcher::TabListSnapshot now = Snapshot();
    const std::vector<launcher::TabListEvent> events = launcher::TabListChanges(m_announced, now);
    if (now.selected != m_announced.selected || now.focused != m_announced.focused) {
        // The focus mark moves or comes and goes.
        for (int tab : {m_announced.selected, now.selected})
            if (tab >= 0)
                Repaint({launcher::TabRect(tab, m_state.Scale())});
    }
    m_announced = now;
    for (const launcher::TabListEvent& e : events)
        skin::NotifyAccessible(WinEventOf(e.kind), m_keys, OBJID_CLIENT, e.child);
}

LRESULT CALLBACK CTabStrip::KeyWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CTabStrip*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        if (self && self->m_keys == h)
            self->m_keys = nullptr;
        self = nullptr;
    }
    if (self && self->m_keys == h)
        return self->OnKeyWindowMessage(msg, wParam, lParam);
    return ::DefWindowProcW(h, msg, wParam, lParam);
}

LRESULT CTabStrip::OnKeyWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TabListSnapshotMessage()) {
        auto* out = reinterpret_cast<launcher::TabListSnapshot*>(lParam);
        if (!out)
            return 0;
        *out = Snapshot();
        return 1;
    }
    if (msg == TabListActionMessage()) {
        // Asked by assistive technology; the tab is checked again here.
        const int tab = static_cast<int>(lParam);
        if (m_host && tab >= 0 && tab < static_cast<int>(Snapshot().labels.size())) {
            if (wParam == 0)
                m_host->SelectTabFromKeyboard(tab);
            else
                m_host->CloseTabFromKeyboard(tab);
        }
        return 0;
    }
    switch (msg) {
    case WM_GETOBJECT: {
        bool handled = false;
        const LRESULT result = AnswerTabListObject(m_keys, wParam, lParam, handled);
        if (handled)
            return result;
        break;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;  // the arrows move between tabs, not between controls
    case WM_KEYDOWN: {
        const launcher::TabListSnapshot s = Snapshot();
        const launcher::TabKeyOutcome o =
            launcher::TabStripKey(static_cast<unsigned>(wParam), s.labels.size(), s.selected);
        if (!o.handled || !m_host)
            break;
        if (o.select >= 0)
            m_host->SelectTabFromKeyboard(o.select);
        else if (o.close >= 0)
            m_host->CloseTabFromKeyboard(o.close);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Changed();
        return 0;
    }
    return ::DefWindowProcW(m_keys, msg, wParam, lParam);
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

}  // namespace ovn
