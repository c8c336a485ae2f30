// The navigation rules of the plain web engine, apart from its window: which
// navigations are asked for, fetched, dropped when overtaken, and which events
// follow a fetched page. The window supplies fetching, a refresh timer and
// painting through PlainBrowserHost. Platform-free.
#pragma once
#include <cstdint>
#include <string>

#include "browser/plain/html_document.h"
#include "browser/web_events.h"

namespace ovn::browser {

struct FetchResult {
    bool ok = false;        // a response arrived (whatever its status)
    int status = 0;         // HTTP status, 0 when nothing arrived
    std::wstring finalUrl;  // after redirects; empty means the requested URL
    std::wstring html;      // the body as text
};

class PlainBrowserHost {
public:
    // Fetch an http(s) URL and hand the result to PlainBrowser::OnFetchDone with
    // the same request number, later, from the user-interface thread. reload: the
    // player asked for a fresh copy (Refresh), not one from the cache.
    virtual void StartFetch(std::uint64_t request, const std::wstring& url, bool reload) = 0;
    // Call PlainBrowser::OnFetchDone(request, {}) later; used for pages the engine
    // makes itself, so that every navigation completes after Navigate returns.
    virtual void CompleteLater(std::uint64_t request) = 0;
    // Call PlainBrowser::OnRefreshDue after delayMs; replaces an earlier schedule.
    virtual void ScheduleRefresh(int delayMs) = 0;
    virtual void CancelRefresh() = 0;
    // The document, its URL or its title changed: repaint.
    virtual void DocumentChanged() = 0;

protected:
    ~PlainBrowserHost() = default;
};

class PlainBrowser {
public:
    PlainBrowser(PlainBrowserHost& host, WebViewEvents& events) : host_(host), events_(events) {}
    PlainBrowser(const PlainBrowser&) = delete;
    PlainBrowser& operator=(const PlainBrowser&) = delete;

    // Asks before-navigate, then starts the navigation. False when the page cancelled
    // it or the URL is empty or a script URL (the plain engine runs no script).
    bool Navigate(const std::wstring& url);
    // Fetches the current page again; no before-navigate or navigate-complete, as
    // with the control, but a title-change once the page is back.
    void Refresh();
    // Navigates to a link of the current document; false when there is no such link
    // or the navigation did not start.
    bool FollowLink(int index);

    void OnFetchDone(std::uint64_t request, const FetchResult& result);
    void OnRefreshDue();

    const HtmlDocument& Document() const { return doc_; }
    const std::wstring& Url() const { return url_; }
    const std::wstring& Title() const { return title_; }
    bool Busy() const { return pending_ != 0; }

    // The page shown for a navigation that failed.
    static HtmlDocument ErrorDocument(const std::wstring& url);

private:
    enum class Kind { Fetch, Blank, Unsupported };

    PlainBrowserHost& host_;
    WebViewEvents& events_;
    HtmlDocument doc_;
    std::wstring url_;
    std::wstring title_;
    std::uint64_t lastRequest_ = 0;
    std::uint64_t pending_ = 0;
    std::wstring pendingUrl_;
    Kind pendingKind_ = Kind::Fetch;
    bool pendingIsRefresh_ = false;
    std::wstring refreshTarget_;
};

}  // namespace ovn::browser
