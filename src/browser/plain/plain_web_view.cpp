#include "browser/plain/plain_web_view.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browser/plain/page_decode.h"
#include "browser/plain/page_fetch.h"
#include "browser/url.h"
#include "common/log.h"
#include "common/newer_windows.h"
#include "common/text.h"
#include "framework/start_marks.h"

namespace ovn::browser {

namespace {

constexpr UINT kMsgFetchDone = WM_APP + 0x41;
constexpr UINT_PTR kTimerRefresh = 1;
constexpr int kMargin = 8;  // at 100 %
constexpr size_t kMaxPictures = 32;  // per document: a page cannot start fetches without end
constexpr UINT_PTR kMenuRefresh = 1;
constexpr COLORREF kDefaultBackground = RGB(0xFF, 0xFF, 0xFF);
// Sent to a child window after its top-level window took a new DPI (per-monitor
// v2; older headers lack it).
constexpr UINT kMsgDpiChangedAfterParent = 0x02E3;

struct MenuOwner {
    HMENU menu = ::CreatePopupMenu();
    ~MenuOwner() {
        if (menu)
            ::DestroyMenu(menu);
    }
};

}  // namespace

// Finished fetches, handed from the worker threads to the window. Shared so
// that a worker finishing after the view is gone has somewhere to put its result.
struct PlainWebView::Inbox {
    std::mutex lock;
    std::vector<std::pair<std::uint64_t, FetchResult>> done;
    std::vector<std::pair<std::wstring, std::string>> pictures;  // URL, bytes (empty: failed)
};


PlainWebView::PlainWebView(WebViewEvents& events)
    : m_events(events), m_browser(*this, events), m_inbox(std::make_shared<Inbox>()) {}

PlainWebView::~PlainWebView() {
    if (m_docToken)
        m_docToken->view = nullptr;  // elements handed out go dead
    Destroy();  // while this object can still hear WM_DESTROY
}

bool PlainWebView::CreateView(HWND parent, const RECT& rect) {
    if (!fw::Window::RegisterClass(kClassName, CS_DBLCLKS, nullptr, nullptr, nullptr)) {
        LogFailure(L"plain web view: window class refused", ::GetLastError());
        return false;
    }
    m_hostFlags = m_events.OnGetHostInfoFlags(0);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
    if (!Create(0, kClassName, L"", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                parent, 0)) {
        LogFailure(L"plain web view: window not created", ::GetLastError());
        return false;
    }
    TakeScale();
    return true;
}

void PlainWebView::TakeScale() {
    m_scale = DisplayScale(PageDpi(WindowDpi(hwnd())));
    m_scaled = ScaledDocument(m_browser.Document(), m_scale);
    for (auto& [url, pic] : m_pictures)
        ScalePicture(pic);
    MakeFonts();
    Relayout();
}

void PlainWebView::MakeFonts() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    LOGFONTW lf{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        lf = ncm.lfMessageFont;
    else
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    // The system makes its fonts for its own DPI; the page is at its window's.
    {
        fw::gdi::WindowDC screen(nullptr);
        const int systemDpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : DisplayScale::kBaseDpi;
        lf.lfHeight = m_scale.FromDpi(lf.lfHeight, systemDpi);
    }
    m_fontText.reset(::CreateFontIndirectW(&lf));
    LOGFONTW link = lf;
    link.lfUnderline = TRUE;
    m_fontLink.reset(::CreateFontIndirectW(&link));
    LOGFONTW bold = lf;
    bold.lfWeight = FW_BOLD;
    m_fontBold.reset(::CreateFontIndirectW(&bold));
    LOGFONTW title = bold;
    title.lfHeight = lf.lfHeight < 0 ? lf.lfHeight * 4 / 3 : m_scale.Px(-16);
    m_fontTitle.reset(::CreateFontIndirectW(&title));

    fw::gdi::WindowDC dc(hwnd());
    TEXTMETRICW tm{};
    {
        fw::gdi::Select sel(dc.get(), m_fontText.get());
        if (::GetTextMetricsW(dc.get(), &tm))
            m_lineHeight = tm.tmHeight + tm.tmExternalLeading + m_scale.Px(2);
    }
    {
        fw::gdi::Select sel(dc.get(), m_fontTitle.get());
        if (::GetTextMetricsW(dc.get(), &tm))
            m_titleHeight = tm.tmHeight + m_scale.Px(6);
    }
}

bool PlainWebView::ScrollBarsWanted() const {
    if (!m_bodyScroll.empty())
        return m_bodyScroll != L"no";
    return (m_hostFlags & kHostFlagScrollNo) == 0;
}

// A page-only dialog's page is the whole surface: no title band above it.
int PlainWebView::ContentTop() const {
    return (m_hostFlags & kHostFlagDialog) ? Margin() : Margin() + m_titleHeight + Margin();
}

int PlainWebView::ContentLeft() const { return Margin(); }

int PlainWebView::Margin() const { return m_scale.Px(kMargin); }

void PlainWebView::Relayout() {
    if (!hwnd())
        return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    int width = client.right - client.left - 2 * Margin();
    fw::gdi::WindowDC dc(hwnd());
    HDC hdc = dc.get();
    HFONT text = m_fontText.get(), bold = m_fontBold.get();
    auto measure = [hdc, text, bold](std::wstring_view s, bool heading) {
        fw::gdi::Select sel(hdc, heading ? bold : text);
        SIZE size{};
        ::GetTextExtentPoint32W(hdc, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const HtmlDocument& doc = m_scaled;
    auto measureBox = [&doc](int element, int& w, int& h) {
        const HtmlStyle& style = doc.elements[static_cast<size_t>(element)].style;
        w = style.width.value_or(0);
        h = style.height.value_or(0);
    };
    // The page's corner is where the body's margin starts.
    m_layout = LayoutPage(doc, width, m_lineHeight, measure, measureBox, -Margin(), -Margin());
    m_boxes = ElementBoxes(doc, m_layout, std::max(width, 1));
    UpdateScrollBar();
}

void PlainWebView::UpdateScrollBar() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    int page = std::max<int>(1, client.bottom - client.top);
    // The body's margin follows the flow; a positioned box ends where it ends.
    int total = ContentTop() + std::max(m_layout.flowHeight + Margin(), m_layout.height);
    int maxScroll = std::max(0, total - page);
    m_scrollY = std::clamp(m_scrollY, 0, maxScroll);
    if (!ScrollBarsWanted()) {
        ::ShowScrollBar(hwnd(), SB_VERT, FALSE);
        return;
    }
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | (m_bodyScroll == L"yes" ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = total - 1;
    si.nPage = static_cast<UINT>(page);
    si.nPos = m_scrollY;
    ::SetScrollInfo(hwnd(), SB_VERT, &si, TRUE);
}

void PlainWebView::ScrollTo(int y) {
    int old = m_scrollY;
    m_scrollY = y;
    UpdateScrollBar();
    if (m_scrollY != old)
        ::InvalidateRect(hwnd(), nullptr, FALSE);
}

int PlainWebView::LinkAtClient(int x, int y) const {
    return LinkAt(m_layout, x - ContentLeft(), y + m_scrollY - ContentTop());
}

int PlainWebView::ElementAtClient(int x, int y) const {
    return ElementAt(m_browser.Document(), m_boxes, x - ContentLeft(), y + m_scrollY - ContentTop());
}



bool PlainWebView::SetBodyScroll(const std::wstring& scroll) {
    if (!m_docToken)
        return false;
    m_bodyScroll = ToLowerAscii(scroll);
    UpdateScrollBar();
    return true;
}

void PlainWebView::FetchPictures() {
    // Only the current document's pictures are kept.
    std::set<std::wstring> wanted;
    for (const auto& e : m_browser.Document().elements)
        if (!e.style.backgroundImage.empty() && IsHttpUrl(e.style.backgroundImage) && wanted.size() < kMaxPictures)
            wanted.insert(e.style.backgroundImage);
    for (auto it = m_pictures.begin(); it != m_pictures.end();)
        it = wanted.count(it->first) ? std::next(it) : m_pictures.erase(it);
    for (const std::wstring& url : wanted) {
        if (m_pictures.count(url) || m_pictureFetches.count(url))
            continue;
        m_pictureFetches.insert(url);
        std::shared_ptr<Inbox> inbox = m_inbox;
        HWND target = hwnd();
        std::thread([inbox, target, url] {
            Fetched got = FetchBytes(url, false, L"Accept: image/*, */*\r\n");
            std::string bytes = got.ok && got.status < 400 ? std::move(got.body) : std::string();
            {
                std::lock_guard<std::mutex> hold(inbox->lock);
                inbox->pictures.emplace_back(url, std::move(bytes));
            }
            ::PostMessageW(target, kMsgFetchDone, 0, 0);
        }).detach();
    }
}

bool PlainWebView::FirePageEvent(PageEvent event, int element) {
    auto source = ElementAtIndex(element);
    if (!source)
        return false;
    return m_events.OnPageEvent(event, source);
}

void PlainWebView::OnMouseMove(int x, int y) {
    HWND self = hwnd();
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, self, 0};
        m_trackingLeave = ::TrackMouseEvent(&tme) != FALSE;
    }
    int element = ElementAtClient(x, y);
    if (element != m_hoverElement) {
        int old = std::exchange(m_hoverElement, element);
        if (old >= 0)
            FirePageEvent(PageEvent::MouseOut, old);
        if (!::IsWindow(self))
            return;
        FirePageEvent(PageEvent::MouseOver, element);
        if (!::IsWindow(self))
            return;
    }
    FirePageEvent(PageEvent::MouseMove, element);
}

void PlainWebView::OnMouseLeave() {
    m_trackingLeave = false;
    int old = std::exchange(m_hoverElement, -1);
    if (old >= 0)
        FirePageEvent(PageEvent::MouseOut, old);
}

void PlainWebView::OnContextMenu(LPARAM lParam) {
    HWND self = hwnd();
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT client = screen;
    if (lParam == -1) {  // from the keyboard: the page's top left corner
        client = {0, 0};
        screen = client;
        ::ClientToScreen(self, &screen);
    } else {
        ::ScreenToClient(self, &client);
    }
    if (FirePageEvent(PageEvent::ContextMenu, ElementAtClient(client.x, client.y)) || !::IsWindow(self))
        return;
    if (m_events.OnShowContextMenu() || !::IsWindow(self))
        return;
    MenuOwner menu;
    if (!menu.menu || !::AppendMenuW(menu.menu, MF_STRING, kMenuRefresh, L"刷新(&R)"))
        return;
    UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, self, nullptr));
    if (chosen == kMenuRefresh && ::IsWindow(self))
        Refresh();
}

bool PlainWebView::LinkRect(int index, RECT& rect) const {
    for (const auto& p : m_layout.pieces) {
        if (p.link != index)
            continue;
        rect.left = ContentLeft() + p.x;
        rect.top = ContentTop() + p.y - m_scrollY;
        rect.right = rect.left + p.width;
        rect.bottom = rect.top + p.height;
        return true;
    }
    return false;
}

void PlainWebView::Paint(HDC dc, const RECT& client) {
    const HtmlDocument& doc = m_browser.Document();
    COLORREF page = kDefaultBackground;
    if (doc.body >= 0 && doc.elements[static_cast<size_t>(doc.body)].style.backgroundColor)
        page = ToColorRef(*doc.elements[static_cast<size_t>(doc.body)].style.backgroundColor);
    {
        fw::gdi::Brush brush(::CreateSolidBrush(page));
        ::FillRect(dc, &client, brush.get());
    }
    ::SetBkMode(dc, TRANSPARENT);

    int y0 = -m_scrollY;
    if ((m_hostFlags & kHostFlagDialog) == 0) {
        fw::gdi::Select sel(dc, m_fontTitle.get());
        ::SetTextColor(dc, RGB(0x20, 0x20, 0x20));
        const std::wstring& title = m_browser.Title();
        RECT r{Margin(), y0 + Margin(), client.right - Margin(), y0 + Margin() + m_titleHeight};
        ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r,
                    DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_VCENTER);
        RECT rule{Margin(), y0 + Margin() + m_titleHeight + Margin() / 2, client.right - Margin(), 0};
        rule.bottom = rule.top + 1;
        fw::gdi::Brush grey(::CreateSolidBrush(RGB(0xC8, 0xC8, 0xC8)));
        ::FillRect(dc, &rule, grey.get());
    }

    // The flow, then each positioned box over it with what is in it.
    std::vector<int> layers{-1};
    for (const auto& box : m_layout.positioned)
        layers.push_back(box.element);
    int top = ContentTop() - m_scrollY;
    for (int layer : layers) {
        DrawBackgrounds(dc, client, layer);
        for (const auto& p : m_layout.pieces) {
            int y = top + p.y;
            if (p.container != layer || p.box || y + p.height < client.top || y > client.bottom)
                continue;
            HFONT font = p.link >= 0 ? m_fontLink.get() : (p.heading ? m_fontBold.get() : m_fontText.get());
            fw::gdi::Select sel(dc, font);
            std::uint32_t fallback = p.link >= 0 ? 0x0033CC : 0x000000;
            ::SetTextColor(dc, ToColorRef(TextColor(doc, p.element).value_or(fallback)));
            ::TextOutW(dc, ContentLeft() + p.x, y, p.text.c_str(), static_cast<int>(p.text.size()));
        }
    }

    if ((m_hostFlags & kHostFlagNo3DBorder) == 0) {
        fw::gdi::Brush edge(::CreateSolidBrush(RGB(0xA0, 0xA0, 0xA0)));
        ::FrameRect(dc, &client, edge.get());
    }
}

bool PlainWebView::TranslateAccelerator(MSG& msg) {
    if (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd))
        return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F5) {
        Refresh();
        return true;
    }
    return false;
}

void PlainWebView::StartFetch(std::uint64_t request, const std::wstring& url, bool reload) {
    std::shared_ptr<Inbox> inbox = m_inbox;
    HWND target = hwnd();
    std::thread([inbox, target, request, url, reload] {
        FetchResult result = FetchPage(url, reload);
        {
            std::lock_guard<std::mutex> hold(inbox->lock);
            inbox->done.emplace_back(request, std::move(result));
        }
        ::PostMessageW(target, kMsgFetchDone, 0, 0);
    }).detach();
}

void PlainWebView::CompleteLater(std::uint64_t request) {
    {
        std::lock_guard<std::mutex> hold(m_inbox->lock);
        m_inbox->done.emplace_back(request, FetchResult{});
    }
    ::PostMessageW(hwnd(), kMsgFetchDone, 0, 0);
}

void PlainWebView::DeliverFetches() {
    std::vector<std::pair<std::uint64_t, FetchResult>> done;
    std::vector<std::pair<std::wstring, std::string>> pictures;
    {
        std::lock_guard<std::mutex> hold(m_inbox->lock);
        done.swap(m_inbox->done);
        pictures.swap(m_inbox->pictures);
    }
    for (auto& [url, bytes] : pictures) {
        if (!m_pictureFetches.erase(url))
            continue;  // no longer wanted
        Picture& pic = m_pictures[url];
        pic.bitmap = DecodePicture(bytes, pic.width, pic.height);
        ScalePicture(pic);
    }
    if (!pictures.empty())
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    for (auto& [request, result] : done) {
        fw::RecordStartMark(fw::StartMark::LoginFetched);
        m_browser.OnFetchDone(request, result);
    }
}

void PlainWebView::ScheduleRefresh(int delayMs) {
    SetTimer(kTimerRefresh, static_cast<UINT>(std::max(delayMs, static_cast<int>(USER_TIMER_MINIMUM))));
}

void PlainWebView::CancelRefresh() { KillTimer(kTimerRefresh); }

void PlainWebView::DocumentChanged() {
    m_hostFlags = m_events.OnGetHostInfoFlags(0);
    m_scrollY = 0;
    m_pressedLink = -1;
    if (m_docToken)
        m_docToken->view = nullptr;
    m_docToken = std::make_shared<DocToken>(DocToken{this});
    m_hoverElement = -1;
    m_backgroundX.clear();
    m_bodyScroll.clear();
    m_scaled = ScaledDocument(m_browser.Document(), m_scale);
    Relayout();
    fw::RecordStartMark(fw::StartMark::LoginLaidOut);
    FetchPictures();
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT PlainWebView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgFetchDone:
        DeliverFetches();
        return 0;
    case WM_TIMER:
        if (wParam == kTimerRefresh) {
            KillTimer(kTimerRefresh);
            m_browser.OnRefreshDue();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        fw::gdi::PaintDC pdc(hwnd());
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        if (!fw::gdi::PaintInBands(pdc.get(), client, [&](HDC band) { Paint(band, client); }))
            Paint(pdc.get(), client);
        fw::RecordStartMark(fw::StartMark::LoginPainted);
        return 0;
    }
    case kMsgDpiChangedAfterParent:
        TakeScale();
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case WM_SIZE:
        Relayout();
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT pt{};
            ::GetCursorPos(&pt);
            ::ScreenToClient(hwnd(), &pt);
            ::SetCursor(::LoadCursorW(nullptr, LinkAtClient(pt.x, pt.y) >= 0 ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN: {
        HWND self = hwnd();
        ::SetFocus(self);
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int link = LinkAtClient(x, y);
        bool cancelled = FirePageEvent(PageEvent::MouseDown, ElementAtClient(x, y));
        if (::IsWindow(self))
            m_pressedLink = cancelled ? -1 : link;
        return 0;
    }
    case WM_LBUTTONUP: {
        HWND self = hwnd();
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int link = LinkAtClient(x, y);
        bool cancelled = FirePageEvent(PageEvent::MouseUp, ElementAtClient(x, y));
        if (!::IsWindow(self))
            return 0;
        int pressed = std::exchange(m_pressedLink, -1);
        if (!cancelled && link >= 0 && link == pressed)
            m_browser.FollowLink(link);
        return 0;
    }
    case WM_RBUTTONDOWN:
        FirePageEvent(PageEvent::MouseDown, ElementAtClient(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_RBUTTONUP: {
        HWND self = hwnd();
        FirePageEvent(PageEvent::MouseUp, ElementAtClient(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        if (!::IsWindow(self))
            return 0;
        break;  // the system follows with WM_CONTEXTMENU
    }
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(m_scrollY - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3 * m_lineHeight);
        return 0;
    case WM_VSCROLL: {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        int page = std::max<int>(m_lineHeight, client.bottom - m_lineHeight);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(m_scrollY - m_lineHeight); break;
        case SB_LINEDOWN: ScrollTo(m_scrollY + m_lineHeight); break;
        case SB_PAGEUP: ScrollTo(m_scrollY - page); break;
        case SB_PAGEDOWN: ScrollTo(m_scrollY + page); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(1 << 30); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(hwnd(), SB_VERT, &si))
                ScrollTo(si.nTrackPos);
            break;
        }
        default: break;
        }
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: ScrollTo(m_scrollY - m_lineHeight); return 0;
        case VK_DOWN: ScrollTo(m_scrollY + m_lineHeight); return 0;
        case VK_PRIOR: ScrollTo(m_scrollY - std::max(m_lineHeight, m_scale.Px(200))); return 0;
        case VK_NEXT: ScrollTo(m_scrollY + std::max(m_lineHeight, m_scale.Px(200))); return 0;
        case VK_HOME: ScrollTo(0); return 0;
        case VK_END: ScrollTo(1 << 30); return 0;
        default: break;
        }
        break;
    case WM_DESTROY:
        KillTimer(kTimerRefresh);
        break;
    default:
        break;
    }
    return Default();
}

}  // namespace ovn::browser
