#include "browser/control_web_view.h"

#include <mshtml.h>
#include <ocidl.h>

#include <string>

#include "browser/control_site.h"
#include "common/log.h"
#include "framework/com_object.h"

namespace ovn::browser {

using fw::Bstr;

void ControlWebView::ListenToDocument() {
    if (!m_browser)
        return;
    fw::ComPtr<IDispatch> dispatch;
    if (FAILED(m_browser->get_Document(dispatch.put())) || !dispatch)
        return;
    auto identity = dispatch.As<IUnknown>();
    if (identity && m_document && identity.get() == m_document.get())
        return;  // a frame of the same document completed
    StopListeningToDocument();
    auto container = dispatch.As<IConnectionPointContainer>();
    if (!container || FAILED(container->FindConnectionPoint(kDiidHtmlDocumentEvents2, m_docConnection.put()))) {
        m_docConnection.reset();
        return;
    }
    m_docSink = NewDocumentSink(m_events);
    if (!m_docSink || FAILED(m_docConnection->Advise(AsEventSink(m_docSink), &m_docCookie))) {
        LogFailure(L"web control: the page's element events cannot be heard", 0);
        m_docConnection.reset();
        if (m_docSink) {
            DetachAndRelease(m_docSink);
            m_docSink = nullptr;
        }
        return;
    }
    m_document = std::move(identity);
}

void ControlWebView::StopListeningToDocument() {
    if (m_docConnection) {
        m_docConnection->Unadvise(m_docCookie);
        m_docConnection.reset();
    }
    if (m_docSink) {
        DetachAndRelease(m_docSink);
        m_docSink = nullptr;
    }
    m_document.reset();
}

ControlWebView::ControlWebView(WebViewEvents& events) : m_events(events) {}

ControlWebView::~ControlWebView() {
    Close();
    Destroy();
}

bool ControlWebView::CreateView(HWND parent, const RECT& rect) {
    // The caller falls back to nothing on screen: the log says which step failed.
    auto fail = [](const wchar_t* what, unsigned long error) {
        LogFailure(what, error);
        return false;
    };
    if (!fw::Window::RegisterClass(kClassName, 0, nullptr, nullptr, nullptr))
        return fail(L"web control: window class refused", ::GetLastError());
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (!Create(0, kClassName, L"", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                parent, 0))
        return fail(L"web control: host window not created", ::GetLastError());

    m_site = NewControlSite(hwnd(), m_events, *this);
    if (!m_site)
        return fail(L"web control: no memory for its site", static_cast<unsigned long>(E_OUTOFMEMORY));
    HRESULT hr = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    m_object.put_void());
    if (FAILED(hr))
        return fail(L"web control: not created", static_cast<unsigned long>(hr));
    if (FAILED(hr = m_object->SetClientSite(AsClientSite(m_site))))
        return fail(L"web control: site refused", static_cast<unsigned long>(hr));
    ::OleSetContainedObject(m_object.get(), TRUE);

    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (FAILED(hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, AsClientSite(m_site), 0,
                                     hwnd(), &client)))
        return fail(L"web control: not activated in place", static_cast<unsigned long>(hr));
    auto inPlace = m_object.As<IOleInPlaceObject>();
    SetInPlace(m_site, inPlace.get());
    m_browser = m_object.As<IWebBrowser2>();
    if (!m_browser)
        return fail(L"web control: no IWebBrowser2", static_cast<unsigned long>(E_NOINTERFACE));

    hr = E_NOINTERFACE;
    if (auto container = m_object.As<IConnectionPointContainer>()) {
        if (SUCCEEDED(hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_connection.put())) &&
            FAILED(hr = m_connection->Advise(AsEventSink(m_site), &m_cookie)))
            m_connection.reset();
    }
    if (!m_connection)
        return fail(L"web control: its events cannot be heard", static_cast<unsigned long>(hr));
    return true;
}

void ControlWebView::Close() {
    StopListeningToDocument();
    if (m_connection) {
        m_connection->Unadvise(m_cookie);
        m_connection.reset();
    }
    if (m_browser) {
        m_browser->Stop();
        m_browser.reset();
    }
    if (m_object) {
        if (auto inPlace = m_object.As<IOleInPlaceObject>())
            inPlace->InPlaceDeactivate();
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_object.reset();
    }
    if (m_site) {
        DetachAndRelease(m_site);
        m_site = nullptr;
    }
}

bool ControlWebView::Navigate(const std::wstring& url) {
    if (!m_browser)
        return false;
    Bstr target(url);
    VARIANT empty;
    ::VariantInit(&empty);
    return SUCCEEDED(m_browser->Navigate(target.get(), &empty, &empty, &empty, &empty));
}

void ControlWebView::Refresh() {
    if (m_browser)
        m_browser->Refresh();
}

std::wstring ControlWebView::Title() const {
    Bstr text;
    if (m_browser && SUCCEEDED(m_browser->get_LocationName(text.put())))
        return text.str();
    return {};
}

std::wstring ControlWebView::Url() const {
    Bstr text;
    if (m_browser && SUCCEEDED(m_browser->get_LocationURL(text.put())))
        return text.str();
    return {};
}

void ControlWebView::SetSilent(bool silent) {
    if (m_browser)
        m_browser->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

bool ControlWebView::TranslateAccelerator(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !m_browser)
        return false;
    if (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd))
        return false;
    auto active = m_browser.As<IOleInPlaceActiveObject>();
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

bool ControlWebView::SetBodyScroll(const std::wstring& scroll) {
    if (!m_browser)
        return false;
    fw::ComPtr<IDispatch> dispatch;
    if (FAILED(m_browser->get_Document(dispatch.put())) || !dispatch)
        return false;
    auto document = dispatch.As<IHTMLDocument2>();
    fw::ComPtr<IHTMLElement> body;
    if (!document || FAILED(document->get_body(body.put())) || !body)
        return false;
    auto bodyElement = body.As<IHTMLBodyElement>();
    Bstr value(scroll);
    return bodyElement && SUCCEEDED(bodyElement->put_scroll(value.get()));
}

LRESULT ControlWebView::WindowProc(UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (m_object) {
            RECT client{0, 0, LOWORD(lParam), HIWORD(lParam)};
            if (auto inPlace = m_object.As<IOleInPlaceObject>())
                inPlace->SetObjectRects(&client, &client);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the control paints everything
    case WM_DESTROY:
        Close();
        break;
    default:
        break;
    }
    return Default();
}

}  // namespace ovn::browser
