#include "browser/plain/plain_browser.h"

#include "browser/url.h"

namespace ovn::browser {

namespace {

const wchar_t kErrorTitle[] = L"无法显示该网页";

}  // namespace

HtmlDocument PlainBrowser::ErrorDocument(const std::wstring& url) {
    HtmlDocument doc;
    doc.title = kErrorTitle;
    HtmlBlock head;
    head.heading = true;
    head.runs.push_back(HtmlRun{kErrorTitle, -1});
    doc.blocks.push_back(std::move(head));
    HtmlBlock address;
    address.runs.push_back(HtmlRun{url, -1});
    doc.blocks.push_back(std::move(address));
    return doc;
}

bool PlainBrowser::Navigate(const std::wstring& url) {
    if (url.empty())
        return false;
    std::wstring scheme = UrlScheme(url);
    if (scheme == L"javascript" || scheme == L"vbscript")
        return false;
    bool cancel = false;
    events_.OnBeforeNavigate(url, cancel);
    if (cancel)
        return false;
    host_.CancelRefresh();
    pending_ = ++lastRequest_;
    pendingUrl_ = url;
    pendingIsRefresh_ = false;
    if (IsHttpUrl(url)) {
        pendingKind_ = Kind::Fetch;
        host_.StartFetch(pending_, std::wstring(WithoutFragment(url)), false);
    } else {
        pendingKind_ = url == L"about:blank" ? Kind::Blank : Kind::Unsupported;
        host_.CompleteLater(pending_);
    }
    return true;
}

void PlainBrowser::Refresh() {
    if (!IsHttpUrl(url_))
        return;
    host_.CancelRefresh();
    pending_ = ++lastRequest_;
    pendingUrl_ = url_;
    pendingKind_ = Kind::Fetch;
    pendingIsRefresh_ = true;
    host_.StartFetch(pending_, std::wstring(WithoutFragment(url_)), true);
}

bool PlainBrowser::FollowLink(int index) {
    if (index < 0 || static_cast<size_t>(index) >= doc_.links.size())
        return false;
    std::wstring href = doc_.links[static_cast<size_t>(index)].href;
    // A jump inside the page shown: nothing to fetch, and the plain engine does not scroll to anchors.
    if (href.find(L'#') != std::wstring::npos && WithoutFragment(href) == WithoutFragment(url_))
        return false;
    return Navigate(href);
}

void PlainBrowser::OnFetchDone(std::uint64_t request, const FetchResult& result) {
    if (request == 0 || request != pending_)
        return;  // overtaken by a later navigation
    pending_ = 0;
    const std::wstring requested = pendingUrl_;
    const bool refresh = pendingIsRefresh_;

    std::wstring finalUrl = requested;
    HtmlDocument doc;
    switch (pendingKind_) {
    case Kind::Blank:
        break;
    case Kind::Unsupported:
        events_.OnNavigateError(requested, 0);
        doc = ErrorDocument(requested);
        break;
    case Kind::Fetch:
        if (!result.finalUrl.empty())
            finalUrl = result.finalUrl;
        if (!result.ok) {
            events_.OnNavigateError(requested, 0);
            doc = ErrorDocument(requested);
            break;
        }
        if (result.status >= 400)
            events_.OnNavigateError(requested, result.status);
        if (result.status >= 400 && result.html.empty()) {
            doc = ErrorDocument(requested);
        } else {
            doc = ParseHtml(result.html);
            ResolveDocumentUrls(doc, finalUrl);
        }
        break;
    }

    doc_ = std::move(doc);
    url_ = finalUrl;
    title_ = doc_.title.empty() ? finalUrl : doc_.title;
    refreshTarget_.clear();
    host_.DocumentChanged();

    if (!refresh)
        events_.OnNavigateComplete(finalUrl);
    events_.OnTitleChange(title_);
    if (!refresh)
        events_.OnDocumentComplete(finalUrl);

    // The events above may have started another navigation; a refresh of this
    // page then no longer applies.
    if (doc_.refresh && pending_ == 0 && url_ == finalUrl) {
        refreshTarget_ = doc_.refresh->url.empty() ? finalUrl : doc_.refresh->url;
        host_.ScheduleRefresh(doc_.refresh->delaySeconds * 1000);
    }
}

void PlainBrowser::OnRefreshDue() {
    if (refreshTarget_.empty())
        return;
    std::wstring target = std::move(refreshTarget_);
    refreshTarget_.clear();
    Navigate(target);
}

}  // namespace ovn::browser
