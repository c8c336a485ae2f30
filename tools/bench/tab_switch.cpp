#include "tools/bench/tab_switch.h"

#include <cstdio>

#include "common/protocol.h"
#include "launcher/tab_strip.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/login.h"
#include "tools/bench/timeline.h"

namespace bench {

namespace {

// The second tab's page, once the launcher holds it beside first and shows it.
HWND LogInSecondTab(HWND launcher, HWND first) {
    using namespace e2e;
    if (!AnswerOtherAccountPrompt(launcher, true)) {
        wprintf(L"tab clicks: the add-account prompt did not come\n");
        return nullptr;
    }
    const LoginWindows login = WaitForLogin(launcher, 30s);
    if (!login.page) {
        wprintf(L"tab clicks: no second login showed\n");
        return nullptr;
    }
    RECT client{};
    GetClientRect(login.page, &client);
    // Another server than the first tab's: one account logs in once per server.
    const auto box =
        LinkBoxOnPage(LoginPageUrl(), L"app://loadgame|S4", client.right, client.bottom, kLoginPageHostFlags);
    if (!box) {
        wprintf(L"tab clicks: the second login page has no second server link\n");
        return nullptr;
    }
    DWORD_PTR r = 0;
    SendMessageTimeoutW(login.page, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
    if (!ClickBox(login.page, *box)) {
        wprintf(L"tab clicks: the second login page's server link was covered\n");
        return nullptr;
    }
    HWND second = nullptr;
    WaitFor(
        [&] {
            for (HWND h : HeldPages(launcher))
                if (h != first && IsWindowVisible(h))
                    second = h;
            return second != nullptr;
        },
        30s);
    if (!second)
        wprintf(L"tab clicks: the second page was not adopted\n");
    return second;
}

}  // namespace

std::vector<double> TimeTabClicks(HWND launcher, int clicks) {
    using namespace e2e;
    const std::vector<HWND> held = HeldPages(launcher);
    if (held.size() != 1) {
        wprintf(L"tab clicks: the launcher holds %zu pages, not one\n", held.size());
        return {};
    }
    HWND pages[2] = {held.front(), LogInSecondTab(launcher, held.front())};
    if (!pages[1])
        return {};
    Sleep(500);  // both pages past their first loads

    std::vector<double> times;
    for (int i = 0; i < clicks; ++i) {
        const int tab = i % 2 == 0 ? 0 : 1;  // the new tab is shown: the first click goes to the first
        HWND want = pages[tab], other = pages[1 - tab];
        const ovn::launcher::Span r = ovn::launcher::TabRect(tab);
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(launcher, &at);
        const double t0 = NowMs();
        ClickAt(at.x, at.y);
        bool shown = false;
        while (!shown && NowMs() - t0 < 5000) {
            shown = IsWindowVisible(want) && !IsWindowVisible(other);
            if (!shown)
                Sleep(1);
        }
        if (!shown) {
            wprintf(L"tab clicks: a click on tab %d did not show its page\n", tab + 1);
            return {};
        }
        times.push_back(NowMs() - t0);
        Sleep(200);  // the next click once this one's paints are done
    }
    return times;
}

}  // namespace bench
