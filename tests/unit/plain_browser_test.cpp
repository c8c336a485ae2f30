#include "browser/plain/plain_browser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ovn::browser;

namespace {

// Records what the engine asks of its window and what it tells its page host,
// as one sequence, so the order is checked too.
class Recorder : public PlainBrowserHost, public WebViewEvents {
public:
    std::vector<std::wstring> log;
    std::vector<std::pair<std::uint64_t, std::wstring>> fetches;
    std::vector<std::uint64_t> later;
    std::wstring cancelPrefix = L"app:";

    void StartFetch(std::uint64_t request, const std::wstring& url, bool reload) override {
        fetches.emplace_back(request, url);
        log.push_back((reload ? L"reload " : L"fetch ") + url);
    }
    void CompleteLater(std::uint64_t request) override { later.push_back(request); }
    void ScheduleRefresh(int delayMs) override { log.push_back(L"schedule " + std::to_wstring(delayMs)); }
    void CancelRefresh() override {}
    void DocumentChanged() override {}

    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override {
        log.push_back(L"before " + url);
        cancel = url.rfind(cancelPrefix, 0) == 0;
    }
    void OnNavigateComplete(const std::wstring& url) override { log.push_back(L"complete " + url); }
    void OnDocumentComplete(const std::wstring& url) override { log.push_back(L"document " + url); }
    void OnTitleChange(const std::wstring& title) override { log.push_back(L"title " + title); }
    void OnNavigateError(const std::wstring& url, int status) override {
        log.push_back(L"error " + url + L" " + std::to_wstring(status));
    }
};

FetchResult Page(std::wstring html, std::wstring finalUrl = L"", int status = 200) {
    return FetchResult{true, status, std::move(finalUrl), std::move(html)};
}

using Log = std::vector<std::wstring>;

}  // namespace

TEST(PlainBrowser, EventsFollowTheControlsOrder) {
    Recorder r;
    PlainBrowser b(r, r);
    ASSERT_TRUE(b.Navigate(L"http://h/webgame.htm#top"));
    ASSERT_EQ(r.fetches.size(), 1u);
    EXPECT_TRUE(b.Busy());
    b.OnFetchDone(r.fetches[0].first, Page(L"<title>Hall</title><a href='/g/ovn.htm'>Orvane</a>"));
    EXPECT_EQ(r.log, (Log{L"before http://h/webgame.htm#top", L"fetch http://h/webgame.htm",
                          L"complete http://h/webgame.htm#top", L"title Hall",
                          L"document http://h/webgame.htm#top"}));
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(b.Title(), L"Hall");

    // A click resolves against the page and goes through before-navigate; a redirect's
    // final URL is what completes.
    r.log.clear();
    ASSERT_TRUE(b.FollowLink(0));
    b.OnFetchDone(r.fetches[1].first, Page(L"no title here", L"http://h/g/ovn2.htm"));
    EXPECT_EQ(r.log, (Log{L"before http://h/g/ovn.htm", L"fetch http://h/g/ovn.htm",
                          L"complete http://h/g/ovn2.htm", L"title http://h/g/ovn2.htm",
                          L"document http://h/g/ovn2.htm"}));
    EXPECT_EQ(b.Url(), L"http://h/g/ovn2.htm");
    EXPECT_FALSE(b.FollowLink(5));
    EXPECT_FALSE(b.FollowLink(-1));
}

TEST(PlainBrowser, CancelledNavigationKeepsThePage) {
    Recorder r;
    PlainBrowser b(r, r);
    b.Navigate(L"http://h/a");
    b.OnFetchDone(1, Page(L"<a href='app://entergame|ovn|http://d/'>x</a><a href='javascript:go()'>j</a>"));
    r.log.clear();
    EXPECT_FALSE(b.FollowLink(0));
    EXPECT_EQ(r.log, (Log{L"before app://entergame|ovn|http://d/"}));
    EXPECT_EQ(r.fetches.size(), 1u);
    EXPECT_TRUE(r.later.empty());
    EXPECT_EQ(b.Url(), L"http://h/a");
    EXPECT_FALSE(b.Busy());
    // Script links do nothing at all in an engine without script.
    r.log.clear();
    EXPECT_FALSE(b.FollowLink(1));
    EXPECT_TRUE(r.log.empty());
}

TEST(PlainBrowser, OvertakenFetchIsDropped) {
    Recorder r;
    PlainBrowser b(r, r);
    b.Navigate(L"http://h/slow");
    b.Navigate(L"http://h/fast");
    r.log.clear();
    b.OnFetchDone(r.fetches[0].first, Page(L"<title>Slow</title>"));
    EXPECT_TRUE(r.log.empty());
    b.OnFetchDone(r.fetches[1].first, Page(L"<title>Fast</title>"));
    EXPECT_EQ(b.Title(), L"Fast");
    r.log.clear();
    b.OnFetchDone(r.fetches[1].first, Page(L"<title>Again</title>"));  // duplicate delivery
    EXPECT_TRUE(r.log.empty());
    EXPECT_EQ(b.Title(), L"Fast");
}

TEST(PlainBrowser, MetaRefreshGoesThroughBeforeNavigate) {
    Recorder r;
    PlainBrowser b(r, r);
    b.Navigate(L"http://h/a/start.htm");
    b.OnFetchDone(1, Page(L"<meta http-equiv=refresh content='2;url=next.htm'><title>S</title>"));
    EXPECT_EQ(r.log.back(), L"schedule 2000");
    r.log.clear();
    b.OnRefreshDue();
    EXPECT_EQ(r.log, (Log{L"before http://h/a/next.htm", L"fetch http://h/a/next.htm"}));
    // A refresh is followed once; a second timer tick does nothing.
    r.log.clear();
    b.OnRefreshDue();
    EXPECT_TRUE(r.log.empty());

    // A refresh to an "app:" URL can be cancelled like any navigation.
    b.OnFetchDone(2, Page(L"<meta http-equiv=refresh content='0;url=app://loadgame|x'>"));
    r.log.clear();
    b.OnRefreshDue();
    EXPECT_EQ(r.log, (Log{L"before app://loadgame|x"}));
    EXPECT_EQ(b.Url(), L"http://h/a/next.htm");
}

TEST(PlainBrowser, ErrorsStillComplete) {
    Recorder r;
    PlainBrowser b(r, r);
    b.Navigate(L"http://h/missing");
    b.OnFetchDone(1, Page(L"", L"", 404));
    EXPECT_EQ(r.log, (Log{L"before http://h/missing", L"fetch http://h/missing", L"error http://h/missing 404",
                          L"complete http://h/missing", L"title " + b.Document().title,
                          L"document http://h/missing"}));
    EXPECT_EQ(b.Document().title, PlainBrowser::ErrorDocument(L"x").title);

    // A server's own error page is shown.
    b.Navigate(L"http://h/broken");
    b.OnFetchDone(2, Page(L"<title>Oops</title>", L"", 500));
    EXPECT_EQ(b.Title(), L"Oops");

    // No connection.
    r.log.clear();
    b.Navigate(L"http://h/down");
    b.OnFetchDone(3, FetchResult{});
    EXPECT_EQ(r.log[2], L"error http://h/down 0");

    // A scheme the engine cannot fetch completes later, with an error, and
    // about:blank completes as an empty page.
    r.log.clear();
    r.cancelPrefix = L"never";
    ASSERT_TRUE(b.Navigate(L"mailto:x@y"));
    ASSERT_EQ(r.later.size(), 1u);
    EXPECT_EQ(r.log.size(), 1u);
    b.OnFetchDone(r.later[0], {});
    EXPECT_EQ(r.log[1], L"error mailto:x@y 0");
    ASSERT_TRUE(b.Navigate(L"about:blank"));
    b.OnFetchDone(r.later[1], {});
    EXPECT_EQ(b.Url(), L"about:blank");
    EXPECT_TRUE(b.Document().blocks.empty());
}

TEST(PlainBrowser, RefreshRefetchesWithoutNavigationEvents) {
    Recorder r;
    PlainBrowser b(r, r);
    b.Refresh();  // nothing loaded yet
    EXPECT_TRUE(r.fetches.empty());
    b.Navigate(L"http://h/p");
    b.OnFetchDone(1, Page(L"<title>One</title>"));
    r.log.clear();
    b.Refresh();
    ASSERT_EQ(r.fetches.size(), 2u);
    b.OnFetchDone(r.fetches[1].first, Page(L"<title>Two</title>"));
    EXPECT_EQ(r.log, (Log{L"reload http://h/p", L"title Two"}));
}
