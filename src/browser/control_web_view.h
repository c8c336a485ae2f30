// The system's web-browser control (IWebBrowser2) in a child window of ours,
// hosted by our own site object (control_site), which also hears the control's
// events, and a sink of each completed document's element events. Needs OLE
// initialised on the thread.
#pragma once
#include <windows.h>
#include <exdisp.h>

#include "browser/web_view.h"
#include "framework/handles.h"
#include "framework/window.h"

namespace ovn::browser {

class ControlSite;
class DocumentSink;

class ControlWebView final : public WebView, private fw::Window {
public:
    static constexpr const wchar_t* kClassName = L"OvnWebHost";

    explicit ControlWebView(WebViewEvents& events);
    ~ControlWebView() override;

    // Creates the host window and the control in it, in-place active; false when
    // the control cannot be created.
    bool CreateView(HWND parent, const RECT& rect);

    HWND WindowHandle() const override { return hwnd(); }
    bool Navigate(const std::wstring& url) override;
    void Refresh() override;
    std::wstring Title() const override;
    std::wstring Url() const override;
    void SetSilent(bool silent) override;
    bool TranslateAccelerator(MSG& msg) override;
    bool SetBodyScroll(const std::wstring& scroll) override;
    WebEngineKind Kind() const override { return WebEngineKind::Control; }

    IWebBrowser2* Browser() const { return m_browser.get(); }

private:
    // The site tells of each completed document.
    friend class ControlSite;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Close();
    // Hears the current document's element events (again after each new document).
    void ListenToDocument();
    void StopListeningToDocument();

    WebViewEvents& m_events;
    ControlSite* m_site = nullptr;  // one reference of ours
    fw::ComPtr<IOleObject> m_object;
    fw::ComPtr<IWebBrowser2> m_browser;
    fw::ComPtr<IConnectionPoint> m_connection;
    DWORD m_cookie = 0;
    DocumentSink* m_docSink = nullptr;  // one reference of ours
    fw::ComPtr<IConnectionPoint> m_docConnection;
    DWORD m_docCookie = 0;
    fw::ComPtr<IUnknown> m_document;  // the document heard, by identity
};

}  // namespace ovn::browser
