// A page-only dialog over the plain engine, on the local portal's login page:
// sprite buttons read back by pixel, "app:" navigations kept, no context menu,
// Enter not closing it, the page's background colour, the body's scroll bars;
// and the login cookie of the stand-in providers in the process's store.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "browser/dhtml_dialog.h"
#include "browser/dhtml_rules.h"
#include "browser/plain/plain_web_view.h"
#include "browser_test_support.h"
#include "common/portal.h"
#include "settings_test_support.h"
#include "skin_test_support.h"

using namespace webtest;
using ovn::browser::PlainWebView;

namespace {

constexpr UINT kDhtmlTemplate = 9003;
constexpr COLORREF kNormal = RGB(0xC8, 0x96, 0x3C), kHover = RGB(0xE6, 0xB8, 0x5C), kPressed = RGB(0x8C, 0x62, 0x26);
constexpr COLORREF kColourKey = RGB(0xFE, 0xFE, 0xFE);

class PageDialog : public ovn::browser::CDHtmDlgEx {
public:
    PageDialog() : CDHtmDlgEx(kDhtmlTemplate) {}
    std::vector<std::wstring> offered;  // every navigation asked about, with "!" when cancelled
    int documents = 0;

    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override {
        CDHtmDlgEx::OnBeforeNavigate(url, cancel);
        offered.push_back(url + (cancel ? L"!" : L""));
    }
    void OnDocumentComplete(const std::wstring& url) override {
        CDHtmDlgEx::OnDocumentComplete(url);
        ++documents;
    }
    bool Offered(const std::wstring& url) const {
        return std::find(offered.begin(), offered.end(), url) != offered.end();
    }
};

// Finds the context menu while its own modal loop runs, notes it and closes it.
class MenuWatch {
public:
    MenuWatch() {
        s_seen = false;
        m_timer = SetTimer(nullptr, 0, 30, &MenuWatch::OnTimer);
    }
    ~MenuWatch() { KillTimer(nullptr, m_timer); }
    static bool Seen() { return s_seen; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            s_seen = true;
            EndMenu();
        }
    }
    static inline bool s_seen = false;
    UINT_PTR m_timer = 0;
};

class DhtmlDialog : public ::testing::Test {
protected:
    void SetUp() override {
        _wputenv_s(L"OVN_WEB_ENGINE", L"plain");
        EnsurePortalAddress();
        ASSERT_TRUE(dlg.CreateModeless(nullptr));
        SetWindowPos(dlg.hwnd(), HWND_TOPMOST, 0, 0, 888, 518, SWP_SHOWWINDOW);
        SetForegroundWindow(dlg.hwnd());
        ASSERT_NE(dlg.View(), nullptr);
        ASSERT_EQ(dlg.View()->Kind(), ovn::browser::WebEngineKind::Plain);
        view = static_cast<PlainWebView*>(dlg.View());
        ASSERT_TRUE(dlg.Navigate(ovn::portal::LoginPageUrl()));
        ASSERT_TRUE(PumpUntil([&] { return dlg.documents == 1 && view->PicturesSettled(); }, 15000))
            << "no login page from the local portal at " << ovn::portal::MainHost();
    }
    void TearDown() override {
        if (GetCapture() == dlg.hwnd())
            ReleaseCapture();
        dlg.Destroy();
    }

    RECT Box(const wchar_t* id) {
        RECT r{};
        EXPECT_TRUE(view->ElementRect(view->ElementById(id), r)) << "no box for " << id;
        return r;
    }
    static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    COLORREF PixelAt(POINT p) {
        RedrawWindow(dlg.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        skintest::Pixels shot = skintest::CaptureWindow(dlg.hwnd());
        return shot.at(p.x, p.y);
    }
    // The mouse moves over a point of the view (client coordinates of both).
    void MoveTo(POINT p) {
        POINT s = p;
        ClientToScreen(view->WindowHandle(), &s);
        SetCursorPos(s.x, s.y);
        SendMessageW(view->WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        PumpIdle();
    }
    void Press(POINT p, UINT msg = WM_LBUTTONDOWN) {
        SendMessageW(view->WindowHandle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(p.x, p.y));
        PumpIdle();
    }
    // A release goes where the system sends it: to the window holding the capture.
    void Release(POINT p, UINT msg = WM_LBUTTONUP) {
        HWND target = GetCapture() ? GetCapture() : view->WindowHandle();
        SendMessageW(target, msg, 0, MAKELPARAM(p.x, p.y));
        PumpIdle();
    }

    OleScope ole;
    PageDialog dlg;
    PlainWebView* view = nullptr;
};

}  // namespace

TEST_F(DhtmlDialog, SpriteButtonShowsItsThreeFramesAndClicksOnRelease) {
    const POINT at = Centre(Box(L"startbtn"));
    EXPECT_EQ(PixelAt(at), kNormal);
    MoveTo(at);
    EXPECT_EQ(PixelAt(at), kHover);
    Press(at);
    EXPECT_EQ(GetCapture(), dlg.hwnd());
    EXPECT_EQ(PixelAt(at), kPressed);
    EXPECT_FALSE(dlg.Offered(L"app://pressbtn!"));
    Release(at);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(PixelAt(at), kHover);
    // The click is the link's navigation, kept from leaving the page.
    EXPECT_TRUE(dlg.Offered(L"app://pressbtn!"));
    EXPECT_EQ(view->Url(), ovn::portal::LoginPageUrl());
    settingstest::SaveShot(dlg.hwnd(), L"dhtml-login-page.png");
    // The mouse leaving the page takes the hover away.
    SetCursorPos(1000, 700);
    SendMessageW(view->WindowHandle(), WM_MOUSELEAVE, 0, 0);
    PumpIdle();
    EXPECT_EQ(PixelAt(at), kNormal);
}

TEST_F(DhtmlDialog, ReleaseOutsideRestoresWithoutClickRightReleaseInsideClicks) {
    const POINT at = Centre(Box(L"startbtn"));
    MoveTo(at);
    Press(at);
    ASSERT_EQ(PixelAt(at), kPressed);
    Release({at.x + 200, at.y});  // released elsewhere
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(PixelAt(at), kNormal);
    EXPECT_FALSE(dlg.Offered(L"app://pressbtn!"));

    MoveTo(at);
    Press(at, WM_RBUTTONDOWN);
    ASSERT_EQ(GetCapture(), dlg.hwnd());
    Release(at, WM_RBUTTONUP);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(dlg.Offered(L"app://pressbtn!"));
}

TEST_F(DhtmlDialog, DisabledButtonIsNeverPressed) {
    const POINT at = Centre(Box(L"offbtn"));
    MoveTo(at);
    EXPECT_EQ(PixelAt(at), kNormal);  // no hover frame
    Press(at);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(PixelAt(at), kNormal);
    // A release with no press in progress still clicks it: the page decides.
    Release(at);
    EXPECT_TRUE(dlg.Offered(L"app://offbtn!"));
    EXPECT_EQ(PixelAt(at), kNormal);
}

TEST_F(DhtmlDialog, AppNavigationsAreKeptCaseSensitively) {
    // A link of the page: offered, cancelled, the page stays.
    const POINT at = Centre(Box(L"exitgame"));
    MoveTo(at);
    Press(at);
    Release(at);
    EXPECT_TRUE(dlg.Offered(L"app://exitgame!"));
    EXPECT_FALSE(dlg.Navigate(L"app://loadgame|S1服-x-a|http://x/"));
    EXPECT_TRUE(dlg.Offered(L"app://loadgame|S1服-x-a|http://x/!"));
    // The same prefix in capitals is an ordinary (unsupported) address: it goes ahead.
    EXPECT_TRUE(dlg.Navigate(L"APP://loadgame"));
    EXPECT_TRUE(dlg.Offered(L"APP://loadgame"));
}

TEST_F(DhtmlDialog, NoContextMenuAndEnterDoesNotClose) {
    // The plain engine has a menu of its own, seen where nothing forbids it.
    {
        Recorder events;
        HWND host = MakeHostWindow(300, 200);
        RECT rc{0, 0, 280, 160};
        auto plain = ovn::browser::CreateWebView(host, rc, events, ovn::browser::WebEngineKind::Plain);
        ASSERT_TRUE(plain);
        ShowWindow(host, SW_SHOW);
        POINT s{20, 20};
        ClientToScreen(plain->WindowHandle(), &s);
        MenuWatch watch;
        PostMessageW(plain->WindowHandle(), WM_CONTEXTMENU, 0, MAKELPARAM(s.x, s.y));
        PumpIdle();
        EXPECT_TRUE(MenuWatch::Seen());
        plain.reset();
        DestroyWindow(host);
    }
    // The page-only dialog shows none, on the body or on a link.
    for (const wchar_t* id : {L"body", L"srv3"}) {
        POINT s = Centre(Box(id));
        ClientToScreen(view->WindowHandle(), &s);
        MenuWatch watch;
        PostMessageW(view->WindowHandle(), WM_CONTEXTMENU, 0, MAKELPARAM(s.x, s.y));
        PumpIdle();
        EXPECT_FALSE(MenuWatch::Seen()) << id;
    }

    SetFocus(view->WindowHandle());
    PostMessageW(view->WindowHandle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(view->WindowHandle(), WM_KEYUP, VK_RETURN, 0);
    PumpIdle();
    EXPECT_TRUE(IsWindow(dlg.hwnd()));
    EXPECT_TRUE(IsWindowVisible(dlg.hwnd()));
}

TEST_F(DhtmlDialog, PaintsThePageColourAndScrollsOnlyWhenItOverflows) {
    // The body's colour, the login window's colour key, from the very top: no
    // title band in a page-only dialog.
    EXPECT_EQ(PixelAt({2, 2}), kColourKey);
    EXPECT_EQ(PixelAt({880, 510}), kColourKey);
    // The panel's own colour inside it.
    RECT panel = Box(L"panel");
    EXPECT_EQ(PixelAt({panel.right - 3, panel.top + 2}), RGB(0x10, 0x26, 0x3A));
    // Host flags say no scroll bars; the body's "auto" shows one on overflow only.
    EXPECT_FALSE(GetWindowLongW(view->WindowHandle(), GWL_STYLE) & WS_VSCROLL);
    SetWindowPos(dlg.hwnd(), nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER);
    PumpIdle();
    EXPECT_TRUE(GetWindowLongW(view->WindowHandle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(DhtmlDialog, TheCornerButtonsAreWhereTheLoginDoesNotDrag) {
    // The login window's minimise and close buttons side by side in the corner that
    // never drags the window, and nothing of them outside it.
    const RECT minimize = Box(L"minimize"), close = Box(L"exitgame");
    EXPECT_EQ(minimize.right, close.left);
    EXPECT_EQ(minimize.top, close.top);
    for (const RECT& r : {minimize, close}) {
        EXPECT_TRUE(ovn::browser::LoginDragExcluded(r.left, r.top));
        EXPECT_TRUE(ovn::browser::LoginDragExcluded(r.right - 1, r.bottom - 1));
        EXPECT_FALSE(ovn::browser::LoginDragExcluded(r.left, r.bottom + 1));
    }
    EXPECT_FALSE(ovn::browser::LoginDragExcluded(minimize.left - 2, minimize.top));
    // Their pictures are drawn: the tab's dark face inside its light edge (the
    // normal frame, so the pointer is taken off them first).
    SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
    PumpUntil([&] { return PixelAt({close.left + 3, close.top + 3}) == RGB(18, 40, 60); }, 5000);
    EXPECT_EQ(PixelAt({close.left + 3, close.top + 3}), RGB(18, 40, 60));
    EXPECT_EQ(PixelAt({minimize.left, minimize.top + 3}), RGB(110, 170, 196));
}

TEST(PlainEngineCookies, TheProvidersCallbackSetsAndTakesTheLoginCookie) {
    EnsurePortalAddress();
    Recorder events;
    HWND host = MakeHostWindow(640, 480);
    RECT rc{0, 0, 620, 440};
    auto made = ovn::browser::CreateWebView(host, rc, events, ovn::browser::WebEngineKind::Plain);
    ASSERT_TRUE(made);
    auto* view = static_cast<PlainWebView*>(made.get());
    const std::wstring portal = L"http://" + ovn::portal::ExternalLoginHost() + L"/";
    auto cookie = [&] {
        wchar_t text[512] = {};
        DWORD size = ARRAYSIZE(text);
        return InternetGetCookieW(portal.c_str(), L"Pauth", text, &size) ? std::wstring(text) : std::wstring();
    };
    auto follow = [&](const wchar_t* id) {
        size_t before = events.Count(L"document ");
        int element = view->ElementById(id);
        ASSERT_GE(element, 0) << id;
        ASSERT_TRUE(view->ElementAtIndex(element)->Click());
        ASSERT_TRUE(PumpUntil([&] { return events.Count(L"document ") > before; }, 10000));
    };
    for (const wchar_t* kind : {L"/qzone/", L"/weibo/"}) {
        // The redirect lands on the provider's page, whose link ends at the callback.
        ASSERT_TRUE(view->Navigate(ovn::portal::ExternalLoginUrl(std::wstring(kind) + L"redirectToAuthorize.do?cid=4224")));
        ASSERT_TRUE(PumpUntil([&] { return events.Count(L"document ") > 0 && !view->Browser().Busy(); }, 10000));
        follow(L"allow");
        EXPECT_NE(view->Url().find(std::wstring(kind) + L"callback.do?"), std::wstring::npos) << view->Url();
        EXPECT_NE(cookie().find(L"Pauth="), std::wstring::npos) << cookie();
        ASSERT_TRUE(view->Navigate(ovn::portal::ExternalLoginUrl(std::wstring(kind) + L"redirectToAuthorize.do?cid=4224")));
        size_t docs = events.Count(L"document ");
        ASSERT_TRUE(PumpUntil([&] { return events.Count(L"document ") > docs; }, 10000));
        follow(L"deny");
        EXPECT_EQ(cookie().find(L"Pauth="), std::wstring::npos) << cookie();
    }
    made.reset();
    DestroyWindow(host);
}
