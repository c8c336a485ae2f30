// The plain engine against the local portal: pages fetched through WinINet,
// events in the control's order, links clicked with the mouse, "app:" links
// cancelled, meta refresh and redirects followed.
#include <gtest/gtest.h>

#include "browser/plain/plain_web_view.h"
#include "browser_test_support.h"
#include "portal_test_support.h"
#include "common/portal.h"

#include <wininet.h>

using namespace webtest;
using ovn::browser::PlainWebView;
using ovn::browser::WebEngineKind;

namespace {

class PlainEngine : public ::testing::Test {
protected:
    void SetUp() override {
        EnsurePortalAddress();
        host = MakeHostWindow(800, 600);
        ASSERT_TRUE(host);
        RECT rc{0, 0, 780, 560};
        auto made = ovn::browser::CreateWebView(host, rc, events, WebEngineKind::Plain);
        ASSERT_TRUE(made);
        view.reset(static_cast<PlainWebView*>(made.release()));
    }
    void TearDown() override {
        view.reset();
        if (host)
            DestroyWindow(host);
    }

    bool WaitForDocument(size_t documents, int timeoutMs = 10000) {
        return PumpUntil([&] { return events.Count(L"document ") >= documents; }, timeoutMs);
    }

    int LinkTo(const std::wstring& href) const {
        const auto& links = view->Browser().Document().links;
        for (size_t i = 0; i < links.size(); ++i)
            if (links[i].href == href)
                return static_cast<int>(i);
        return -1;
    }

    // A real click: button down and up over the link where it is drawn.
    void Click(int link) {
        RECT r{};
        ASSERT_TRUE(view->LinkRect(link, r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(view->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(view->WindowHandle(), WM_LBUTTONUP, 0, at);
    }

    HWND host = nullptr;
    Recorder events;
    std::unique_ptr<PlainWebView> view;
};

}  // namespace

TEST_F(PlainEngine, FetchesThePortalPageAndFiresEventsInOrder) {
    const std::wstring hall = ovn::portal::HallPageUrl();
    ASSERT_TRUE(view->Navigate(hall));
    EXPECT_EQ(events.log, (std::vector<std::wstring>{L"before " + hall}));  // the rest comes later
    ASSERT_TRUE(WaitForDocument(1)) << "no answer from the local portal at " << ovn::portal::ServiceHost();
    EXPECT_EQ(events.log, (std::vector<std::wstring>{L"before " + hall, L"complete " + hall,
                                                     L"title Quenra游戏大厅", L"document " + hall}));
    EXPECT_EQ(view->Title(), L"Quenra游戏大厅");
    EXPECT_EQ(view->Url(), hall);
    EXPECT_GT(events.hostInfoQueries, 0);

    // An ordinary link, clicked: resolved against the page and fetched.
    const std::wstring game = ovn::portal::ServiceUrl(L"/game/ovn.htm");
    int link = LinkTo(game);
    ASSERT_GE(link, 0);
    events.log.clear();
    Click(link);
    ASSERT_TRUE(WaitForDocument(1));
    EXPECT_EQ(events.log.front(), L"before " + game);
    EXPECT_EQ(view->Url(), game);
    EXPECT_EQ(view->Title(), L"Orvane");
}

TEST_F(PlainEngine, AppLinksAreOfferedAndCancelled) {
    const std::wstring hall = ovn::portal::HallPageUrl();
    view->Navigate(hall);
    ASSERT_TRUE(WaitForDocument(1));
    int entergame = -1;
    const auto& links = view->Browser().Document().links;
    for (size_t i = 0; i < links.size(); ++i)
        if (links[i].href.rfind(L"app://entergame|", 0) == 0)
            entergame = static_cast<int>(i);
    ASSERT_GE(entergame, 0);
    std::wstring target = links[static_cast<size_t>(entergame)].href;

    events.log.clear();
    Click(entergame);
    PumpIdle();
    EXPECT_EQ(events.log, (std::vector<std::wstring>{L"before " + target}));
    EXPECT_EQ(view->Url(), hall);
    EXPECT_FALSE(view->Browser().Busy());

    // Not cancelled, an "app:" URL is no page: an error, then the error page completes.
    events.cancelApp = false;
    events.log.clear();
    Click(entergame);
    ASSERT_TRUE(WaitForDocument(1, 3000));
    EXPECT_EQ(events.log[1], L"error " + target + L" 0");
}

TEST_F(PlainEngine, FollowsMetaRefreshAndRedirects) {
    const std::wstring start = ovn::portal::ServiceUrl(L"/test/web/refresh.htm");
    const std::wstring game = ovn::portal::ServiceUrl(L"/game/ovn.htm");
    view->Navigate(start);
    ASSERT_TRUE(WaitForDocument(2));
    EXPECT_EQ(events.log[0], L"before " + start);
    EXPECT_EQ(events.log[3], L"document " + start);
    EXPECT_EQ(events.log[4], L"before " + game);
    EXPECT_EQ(view->Url(), game);

    // A refresh towards "app:" goes through before-navigate and stays cancelled.
    events.log.clear();
    const std::wstring toApp = ovn::portal::ServiceUrl(L"/test/web/refresh-app.htm");
    view->Navigate(toApp);
    ASSERT_TRUE(WaitForDocument(1));
    PumpUntil([&] { return events.Count(L"before app:") > 0; }, 3000);
    EXPECT_EQ(events.Count(L"before app:"), 1u);
    PumpIdle();
    EXPECT_EQ(view->Url(), toApp);
    EXPECT_FALSE(view->Browser().Busy());

    // The server's redirect is WinINet's: the final address is what completes.
    events.log.clear();
    view->Navigate(ovn::portal::ServiceUrl(L"/test/web/redirect"));
    ASSERT_TRUE(WaitForDocument(1));
    EXPECT_EQ(events.log[1], L"complete " + game);
    EXPECT_EQ(view->Title(), L"Orvane");
}

TEST_F(PlainEngine, RefreshFetchesAgainAndErrorsComplete) {
    const std::wstring game = ovn::portal::ServiceUrl(L"/game/ovn.htm");
    view->Navigate(game);
    ASSERT_TRUE(WaitForDocument(1));
    events.log.clear();
    view->Refresh();
    EXPECT_TRUE(view->Browser().Busy());
    ASSERT_TRUE(PumpUntil([&] { return !view->Browser().Busy(); }, 10000));
    EXPECT_EQ(events.log, (std::vector<std::wstring>{L"title Orvane"}));

    events.log.clear();
    const std::wstring missing = ovn::portal::ServiceUrl(L"/test/web/no-such-page.htm");
    view->Navigate(missing);
    ASSERT_TRUE(WaitForDocument(1));
    EXPECT_EQ(events.log[1], L"error " + missing + L" 404");
    EXPECT_EQ(events.log[2], L"complete " + missing);
}

// A page whose body goes on past its Content-Length is not believed: the
// error page, as for a broken answer, never a page with bytes of unknown origin.
TEST_F(PlainEngine, PageLongerThanAnnouncedIsAnError) {
    const std::wstring page = ovn::portal::ServiceUrl(L"/game/ovn.htm");
    bool answered = false;
    wintest::PortalGet(L"/__misbehave?path=/game/ovn.htm&mode=long&times=1", &answered);
    ASSERT_TRUE(answered);
    view->Navigate(page);
    ASSERT_TRUE(WaitForDocument(1));
    EXPECT_EQ(events.log[1], L"error " + page + L" 0");
    EXPECT_NE(view->Title(), L"Orvane");
}

TEST_F(PlainEngine, ReadsThePagesCharacterSet) {
    view->Navigate(ovn::portal::ServiceUrl(L"/test/web/gbk.htm"));
    ASSERT_TRUE(WaitForDocument(1));
    EXPECT_EQ(view->Title(), L"\x4e2d\x6587\x9875\x9762");
    EXPECT_EQ(ovn::browser::VisibleText(view->Browser().Document()), L"\x4f60\x597d");
}
