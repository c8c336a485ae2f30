#include "browser/plain_web_view.h"

#include <wininet.h>
#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browser/charset.h"
#include "browser/url.h"
#include "common/log.h"
#include "framework/handles.h"

namespace ovn::browser {

namespace {

constexpr UINT kMsgFetchDone = WM_APP + 0x41;
constexpr UINT_PTR kTimerRefresh = 1;
constexpr int kMargin = 8;
constexpr size_t kMaxBody = 8 * 1024 * 1024;
constexpr DWORD kTimeoutMs = 30000;
constexpr wchar_t kUserAgent[] = L"Ovn/3.0.0.1 (Windows)";

struct InternetTraits {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using InternetHandle = fw::UniqueHandle<InternetTraits>;

std::wstring Widen(const std::string& bytes, unsigned codePage, DWORD flags) {
    if (bytes.empty())
        return {};
    int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    return out;
}

// Turns the body into text in the character set the page or the server names;
// without one, UTF-8 when the bytes are valid UTF-8, else the system's code page.
std::wstring DecodeBody(std::string body, const std::string& contentType) {
    std::string charset = DetectCharset(contentType, body);
    unsigned cp = CodePageForCharset(charset);
    size_t bom = ByteOrderMarkLength(body);
    if (bom && (cp == 65001 || cp == 1200 || cp == 1201))
        body.erase(0, bom);
    if (cp == 1200 || cp == 1201)
        return DecodeUtf16(body, cp == 1201);
    if (cp != 0) {
        std::wstring text = Widen(body, cp, 0);
        if (!text.empty() || body.empty())
            return text;
    }
    std::wstring utf8 = Widen(body, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (!utf8.empty())
        return utf8;
    return Widen(body, CP_ACP, 0);
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[512];
    DWORD size = sizeof(buffer);
    DWORD index = 0;
    if (!::HttpQueryInfoW(request, info, buffer, &size, &index))
        return {};
    return std::wstring(buffer, size / sizeof(wchar_t));
}

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Runs on the worker thread: one GET with the system's cookies, cache and redirects.
FetchResult FetchPage(const std::wstring& url, bool reload) {
    FetchResult result;
    // Failures become the error page; the log keeps their cause.
    auto fail = [&url](const wchar_t* what, unsigned long error) {
        LogFailureF(error, L"GET %ls: %ls", UrlForLog(url).c_str(), what);
    };
    InternetHandle session(::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        fail(L"no internet session", ::GetLastError());
        return result;
    }
    DWORD timeout = kTimeoutMs;
    ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    ::InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    DWORD flags = INTERNET_FLAG_NO_UI | (reload ? INTERNET_FLAG_RELOAD : INTERNET_FLAG_RESYNCHRONIZE);
    InternetHandle request(::InternetOpenUrlW(session.get(), url.c_str(), L"Accept: text/html, */*\r\n",
                                              static_cast<DWORD>(-1), flags, 0));
    if (!request) {
        fail(L"no answer", ::GetLastError());
        return result;
    }

    DWORD status = 0, size = sizeof(status), index = 0;
    if (::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index))
        result.status = static_cast<int>(status);
    if (result.status >= 400)
        fail((L"HTTP " + std::to_wstring(result.status)).c_str(), 0);
    std::string contentType = Narrow(QueryText(request.get(), HTTP_QUERY_CONTENT_TYPE));

    wchar_t finalUrl[2048];
    DWORD urlSize = sizeof(finalUrl);
    if (::InternetQueryOptionW(request.get(), INTERNET_OPTION_URL, finalUrl, &urlSize))
        result.finalUrl.assign(finalUrl);

    std::string body;
    char chunk[8192];
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), chunk, sizeof(chunk), &read)) {
            fail(L"the answer broke off", ::GetLastError());
            return result;  // nothing complete arrived
        }
        if (read == 0)
            break;
        body.append(chunk, read);
        if (body.size() >= kMaxBody)
            break;
    }
    result.ok = true;
    result.html = DecodeBody(std::move(body), contentType);
    return result;
}

}  // namespace

// Finished fetches, handed from the worker threads to the window. Shared so
// that a worker finishing after the view is gone has somewhere to put its result.
struct PlainWebView::Inbox {
    std::mutex lock;
    std::vector<std::pair<std::uint64_t, FetchResult>> done;
};

PlainWebView::PlainWebView(WebViewEvents& events)
    : m_events(events), m_browser(*this, events), m_inbox(std::make_shared<Inbox>()) {}

PlainWebView::~PlainWebView() { Destroy(); }  // while this object can still hear WM_DESTROY

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
    MakeFonts();
    Relayout();
    return true;
}

void PlainWebView::MakeFonts() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    LOGFONTW lf{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        lf = ncm.lfMessageFont;
    else
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    m_fontText.reset(::CreateFontIndirectW(&lf));
    LOGFONTW link = lf;
    link.lfUnderline = TRUE;
    m_fontLink.reset(::CreateFontIndirectW(&link));
    LOGFONTW bold = lf;
    bold.lfWeight = FW_BOLD;
    m_fontBold.reset(::CreateFontIndirectW(&bold));
    LOGFONTW title = bold;
    title.lfHeight = lf.lfHeight < 0 ? lf.lfHeight * 4 / 3 : -16;
    m_fontTitle.reset(::CreateFontIndirectW(&title));

    fw::gdi::WindowDC dc(hwnd());
    TEXTMETRICW tm{};
    {
        fw::gdi::Select sel(dc.get(), m_fontText.get());
        if (::GetTextMetricsW(dc.get(), &tm))
            m_lineHeight = tm.tmHeight + tm.tmExternalLeading + 2;
    }
    {
        fw::gdi::Select sel(dc.get(), m_fontTitle.get());
        if (::GetTextMetricsW(dc.get(), &tm))
            m_titleHeight = tm.tmHeight + 6;
    }
}

bool PlainWebView::ScrollBarsWanted() const { return (m_hostFlags & kHostFlagScrollNo) == 0; }

int PlainWebView::ContentTop() const { return kMargin + m_titleHeight + kMargin; }

void PlainWebView::Relayout() {
    if (!hwnd())
        return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    int width = client.right - client.left - 2 * kMargin;
    fw::gdi::WindowDC dc(hwnd());
    HDC hdc = dc.get();
    HFONT text = m_fontText.get(), bold = m_fontBold.get();
    auto measure = [hdc, text, bold](std::wstring_view s, bool heading) {
        fw::gdi::Select sel(hdc, heading ? bold : text);
        SIZE size{};
        ::GetTextExtentPoint32W(hdc, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    m_layout = LayoutBlocks(m_browser.Document().blocks, width, m_lineHeight, measure);
    UpdateScrollBar();
}

void PlainWebView::UpdateScrollBar() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    int page = std::max<int>(1, client.bottom - client.top);
    int total = ContentTop() + m_layout.height + kMargin;
    int maxScroll = std::max(0, total - page);
    m_scrollY = std::clamp(m_scrollY, 0, maxScroll);
    if (!ScrollBarsWanted()) {
        ::ShowScrollBar(hwnd(), SB_VERT, FALSE);
        return;
    }
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
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
    return LinkAt(m_layout, x - kMargin, y + m_scrollY - ContentTop());
}

bool PlainWebView::LinkRect(int index, RECT& rect) const {
    for (const auto& p : m_layout.pieces) {
        if (p.link != index)
            continue;
        rect.left = kMargin + p.x;
        rect.top = ContentTop() + p.y - m_scrollY;
        rect.right = rect.left + p.width;
        rect.bottom = rect.top + p.height;
        return true;
    }
    return false;
}

void PlainWebView::Paint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);

    int y0 = -m_scrollY;
    {
        fw::gdi::Select sel(dc, m_fontTitle.get());
        ::SetTextColor(dc, RGB(0x20, 0x20, 0x20));
        const std::wstring& title = m_browser.Title();
        RECT r{kMargin, y0 + kMargin, client.right - kMargin, y0 + kMargin + m_titleHeight};
        ::DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r,
                    DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_VCENTER);
        RECT rule{kMargin, y0 + kMargin + m_titleHeight + kMargin / 2, client.right - kMargin, 0};
        rule.bottom = rule.top + 1;
        fw::gdi::Brush grey(::CreateSolidBrush(RGB(0xC8, 0xC8, 0xC8)));
        ::FillRect(dc, &rule, grey.get());
    }

    int top = ContentTop() - m_scrollY;
    for (const auto& p : m_layout.pieces) {
        int y = top + p.y;
        if (y + p.height < client.top || y > client.bottom)
            continue;
        HFONT font = p.link >= 0 ? m_fontLink.get() : (p.heading ? m_fontBold.get() : m_fontText.get());
        fw::gdi::Select sel(dc, font);
        ::SetTextColor(dc, p.link >= 0 ? RGB(0x00, 0x33, 0xCC) : RGB(0, 0, 0));
        ::TextOutW(dc, kMargin + p.x, y, p.text.c_str(), static_cast<int>(p.text.size()));
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
    {
        std::lock_guard<std::mutex> hold(m_inbox->lock);
        done.swap(m_inbox->done);
    }
    for (auto& [request, result] : done)
        m_browser.OnFetchDone(request, result);
}

void PlainWebView::ScheduleRefresh(int delayMs) {
    SetTimer(kTimerRefresh, static_cast<UINT>(std::max(delayMs, static_cast<int>(USER_TIMER_MINIMUM))));
}

void PlainWebView::CancelRefresh() { KillTimer(kTimerRefresh); }

void PlainWebView::DocumentChanged() {
    m_hostFlags = m_events.OnGetHostInfoFlags(0);
    m_scrollY = 0;
    m_pressedLink = -1;
    Relayout();
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
        fw::gdi::Buffer buffer(pdc.get(), client.right, client.bottom);
        if (buffer) {
            Paint(buffer.dc(), client);
            ::BitBlt(pdc.get(), 0, 0, client.right, client.bottom, buffer.dc(), 0, 0, SRCCOPY);
        } else {
            Paint(pdc.get(), client);
        }
        return 0;
    }
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
    case WM_LBUTTONDOWN:
        ::SetFocus(hwnd());
        m_pressedLink = LinkAtClient(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP: {
        int link = LinkAtClient(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        int pressed = std::exchange(m_pressedLink, -1);
        if (link >= 0 && link == pressed)
            m_browser.FollowLink(link);
        return 0;
    }
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
        case VK_PRIOR: ScrollTo(m_scrollY - std::max(m_lineHeight, 200)); return 0;
        case VK_NEXT: ScrollTo(m_scrollY + std::max(m_lineHeight, 200)); return 0;
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
