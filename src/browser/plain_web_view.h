// The plain built-in web engine's window: fetches pages with WinINet on a worker
// thread (so cookies, the cache and redirects are the system's), shows the title,
// the text and the links, and follows a clicked link or a meta refresh. The
// navigation rules themselves are PlainBrowser's.
#pragma once
#include <windows.h>

#include <memory>

#include "browser/plain_browser.h"
#include "browser/text_layout.h"
#include "browser/web_view.h"
#include "framework/gdi_handles.h"
#include "framework/window.h"

namespace ovn::browser {

class PlainWebView final : public WebView, private fw::Window, private PlainBrowserHost {
public:
    static constexpr const wchar_t* kClassName = L"OvnPlainWeb";

    explicit PlainWebView(WebViewEvents& events);
    ~PlainWebView() override;

    bool CreateView(HWND parent, const RECT& rect);

    HWND WindowHandle() const override { return hwnd(); }
    bool Navigate(const std::wstring& url) override { return m_browser.Navigate(url); }
    void Refresh() override { m_browser.Refresh(); }
    std::wstring Title() const override { return m_browser.Title(); }
    std::wstring Url() const override { return m_browser.Url(); }
    void SetSilent(bool) override {}  // the plain engine never shows dialogs of its own
    bool TranslateAccelerator(MSG& msg) override;
    WebEngineKind Kind() const override { return WebEngineKind::Plain; }

    const PlainBrowser& Browser() const { return m_browser; }
    // Where link index is drawn now, in client coordinates; false when it is not.
    bool LinkRect(int index, RECT& rect) const;

private:
    struct Inbox;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void StartFetch(std::uint64_t request, const std::wstring& url, bool reload) override;
    void CompleteLater(std::uint64_t request) override;
    void ScheduleRefresh(int delayMs) override;
    void CancelRefresh() override;
    void DocumentChanged() override;

    void DeliverFetches();
    void MakeFonts();
    void Relayout();
    void UpdateScrollBar();
    void ScrollTo(int y);
    void Paint(HDC dc, const RECT& client);
    int LinkAtClient(int x, int y) const;
    int ContentTop() const;
    bool ScrollBarsWanted() const;

    WebViewEvents& m_events;
    PlainBrowser m_browser;
    std::shared_ptr<Inbox> m_inbox;
    PageLayout m_layout;
    fw::gdi::Font m_fontText, m_fontBold, m_fontLink, m_fontTitle;
    int m_lineHeight = 16;
    int m_titleHeight = 22;
    int m_scrollY = 0;
    int m_pressedLink = -1;
    std::uint32_t m_hostFlags = 0;
};

}  // namespace ovn::browser
