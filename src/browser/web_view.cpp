#include "browser/web_view.h"

#include <mshtmhst.h>

#include <cstdlib>

#include "browser/control_web_view.h"
#include "browser/plain/plain_web_view.h"
#include "common/windows_version.h"

namespace ovn::browser {

static_assert(kHostFlagDialog == DOCHOSTUIFLAG_DIALOG && kHostFlagNo3DBorder == DOCHOSTUIFLAG_NO3DBORDER &&
              kHostFlagScrollNo == DOCHOSTUIFLAG_SCROLL_NO && kHostFlagDpiAware == DOCHOSTUIFLAG_DPI_AWARE);

namespace {
PageDpiRule g_pageDpiRule = nullptr;  // set once at start, before any window
}  // namespace

void SetPageDpiRule(PageDpiRule rule) { g_pageDpiRule = rule; }

int PageDpi(int windowDpi) { return g_pageDpiRule ? g_pageDpiRule(windowDpi) : windowDpi; }

WebEngineKind SelectedWebEngine() {
    // Wine's browser control has no HTML engine: a release under Wine would show
    // an empty login page.
    static const WebEngineKind kind =
        ChooseWebEngine(std::getenv("OVN_WEB_ENGINE"), BuildPrefersPlainEngine() || RunningUnderWine());
    return kind;
}

std::unique_ptr<WebView> CreateWebView(HWND parent, const RECT& rect, WebViewEvents& events, WebEngineKind kind) {
    if (kind == WebEngineKind::Plain) {
        auto view = std::make_unique<PlainWebView>(events);
        if (!view->CreateView(parent, rect))
            return nullptr;
        return view;
    }
    auto view = std::make_unique<ControlWebView>(events);
    if (!view->CreateView(parent, rect))
        return nullptr;
    return view;
}

}  // namespace ovn::browser
