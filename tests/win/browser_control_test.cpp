// The system's browser control behind our own site. Wine has no HTML engine
// here: the control is created and in-place activated and asks before each
// navigation, which is what the rules above it need; nothing is rendered.
#include <gtest/gtest.h>

#include "browser/control_web_view.h"
#include "browser_test_support.h"

using namespace webtest;
using ovn::browser::CreateWebView;
using ovn::browser::WebEngineKind;

TEST(BrowserControl, AsksBeforeNavigatingAndHonoursCancel) {
    OleScope ole;
    ASSERT_TRUE(ole.ok());
    HWND host = MakeHostWindow();
    ASSERT_TRUE(host);
    {
        Recorder events;
        RECT rc{0, 0, 400, 300};
        auto view = CreateWebView(host, rc, events, WebEngineKind::Control);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->Kind(), WebEngineKind::Control);
        EXPECT_TRUE(IsChild(host, view->WindowHandle()));
        view->SetSilent(true);

        view->Navigate(L"app://entergame|ovn|http://127.0.0.1/x");
        PumpUntil([&] { return events.Count(L"before ") > 0; }, 3000);
        ASSERT_EQ(events.Count(L"before "), 1u);
        EXPECT_EQ(events.log[0], L"before app://entergame|ovn|http://127.0.0.1/x");
        PumpIdle();
        // Cancelled: no error for the unknown scheme and nothing completes.
        EXPECT_EQ(events.Count(L"complete app:"), 0u);
        EXPECT_EQ(events.Count(L"error app:"), 0u);

        // Not cancelled, the same navigation goes on (and fails: no such scheme
        // here). Its error is also the mark that the first one, had it gone on,
        // would have reported its own by now: there is still only one.
        events.cancelApp = false;
        view->Navigate(L"app://entergame|ovn|http://127.0.0.1/x");
        PumpUntil([&] { return events.Count(L"error app:") > 0; }, 3000);
        EXPECT_EQ(events.Count(L"before app:"), 2u);
        EXPECT_EQ(events.Count(L"error app:"), 1u);

        // The view follows its host's size.
        MoveWindow(view->WindowHandle(), 0, 0, 300, 200, TRUE);
        RECT now{};
        GetClientRect(view->WindowHandle(), &now);
        EXPECT_EQ(now.right, 300);
    }
    DestroyWindow(host);
}
