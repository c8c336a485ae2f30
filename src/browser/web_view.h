// The one interface through which a window shows a web page, whichever engine is
// behind it: the system's browser control or the plain built-in engine. The
// window that hosts the view receives the page's events through WebViewEvents.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "browser/web_engine.h"
#include "browser/web_events.h"

namespace ovn::browser {

class WebView {
public:
    virtual ~WebView() = default;
    WebView() = default;
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // The view's child window; the host moves it like any child.
    virtual HWND WindowHandle() const = 0;
    // Starts a navigation (before-navigate is asked first). False when it did not start.
    virtual bool Navigate(const std::wstring& url) = 0;
    virtual void Refresh() = 0;
    // Title and URL of the current document.
    virtual std::wstring Title() const = 0;
    virtual std::wstring Url() const = 0;
    // No script-error or other dialogs of the engine's own.
    virtual void SetSilent(bool silent) = 0;
    // Lets the page see a keyboard message before the host's window translates it;
    // true when the page used it.
    virtual bool TranslateAccelerator(MSG& msg) = 0;
    // Sets the current document body's scroll attribute: "auto" shows a scroll
    // bar only when the content overflows, "no" never, "yes" always. A new
    // document starts without one. False when there is no body to set it on.
    virtual bool SetBodyScroll(const std::wstring& scroll) = 0;
    virtual WebEngineKind Kind() const = 0;
};

// The engine this process uses: OVN_WEB_ENGINE, else the plain engine under Wine
// or in a build that prefers it, else the control. Read once.
WebEngineKind SelectedWebEngine();

// The DPI a page is laid out at in a window at windowDpi. By default the
// window's own; a program whose windows are laid out at a scale of their own
// (the skin drawing nearest to the DPI) sets that rule, so that a page and the
// window around it, a keyed page and the artwork under it, always agree.
using PageDpiRule = int (*)(int windowDpi);
void SetPageDpiRule(PageDpiRule rule);
int PageDpi(int windowDpi);

// Creates a view as a visible child of parent, filling rect. Null when the engine
// cannot be started (the browser control needs OLE initialised on this thread).
std::unique_ptr<WebView> CreateWebView(HWND parent, const RECT& rect, WebViewEvents& events,
                                       WebEngineKind kind = SelectedWebEngine());

}  // namespace ovn::browser
