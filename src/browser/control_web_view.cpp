#include "browser/control_web_view.h"

#include <exdispid.h>
#include <mshtml.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleauto.h>

#include <new>

#include <string>

#include "common/log.h"

namespace ovn::browser {

namespace {

class Bstr {
public:
    explicit Bstr(const std::wstring& s) : m_b(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    ~Bstr() { ::SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_b; }
    BSTR* put() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    std::wstring str() const { return m_b ? std::wstring(m_b, ::SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

// The control passes most event arguments as variants by reference.
const VARIANT* Deref(const VARIANT* v) {
    while (v && v->vt == (VT_BYREF | VT_VARIANT))
        v = v->pvarVal;
    return v;
}

std::wstring VariantText(const VARIANT* v) {
    v = Deref(v);
    if (!v)
        return {};
    if (v->vt == VT_BSTR && v->bstrVal)
        return std::wstring(v->bstrVal, ::SysStringLen(v->bstrVal));
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal && *v->pbstrVal)
        return std::wstring(*v->pbstrVal, ::SysStringLen(*v->pbstrVal));
    return {};
}

int VariantInt(const VARIANT* v) {
    v = Deref(v);
    if (!v)
        return 0;
    if (v->vt == VT_I4)
        return v->lVal;
    if (v->vt == (VT_BYREF | VT_I4) && v->plVal)
        return *v->plVal;
    return 0;
}

void SetCancel(VARIANT* v) {
    if (v && v->vt == (VT_BYREF | VT_BOOL) && v->pboolVal)
        *v->pboolVal = VARIANT_TRUE;
}

// Event arguments arrive last one first.
const VARIANT* Arg(const DISPPARAMS* p, UINT indexFromFirst) {
    if (!p || indexFromFirst >= p->cArgs)
        return nullptr;
    return &p->rgvarg[p->cArgs - 1 - indexFromFirst];
}

// The outermost window of ours above the host: a page's frame may be the child
// of another process's window, which is nobody's business here.
HWND OwnTopWindow(HWND hwnd) {
    DWORD self = ::GetCurrentProcessId();
    for (;;) {
        HWND parent = ::GetAncestor(hwnd, GA_PARENT);
        DWORD pid = 0;
        if (!parent || parent == ::GetDesktopWindow() || !::GetWindowThreadProcessId(parent, &pid) || pid != self)
            return hwnd;
        hwnd = parent;
    }
}

}  // namespace

// One COM object answers every question the control asks its container.
class ControlWebView::Site final : public IOleClientSite,
                                   public IOleInPlaceSite,
                                   public IOleInPlaceFrame,
                                   public IDocHostUIHandler,
                                   public IDispatch {
public:
    Site(HWND host, WebViewEvents& events) : m_host(host), m_events(&events) {}

    // After this the control may still hold references; it gets answers, but
    // no events reach the window any more.
    void Detach() {
        m_events = nullptr;
        m_host = nullptr;
    }
    void SetInPlace(IOleInPlaceObject* inPlace) { m_inPlace = fw::ComPtr<IOleInPlaceObject>(inPlace); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDocHostUIHandler)
            *out = static_cast<IDocHostUIHandler*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of both the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out)
            return E_POINTER;
        *out = m_host;
        return m_host ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_host ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !doc || !pos || !clip || !info)
            return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *doc = nullptr;
        RECT client{};
        if (m_host)
            ::GetClientRect(m_host, &client);
        *pos = client;
        *clip = client;
        info->fMDIApp = FALSE;
        info->hwndFrame = m_host ? OwnTopWindow(m_host) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
        if (m_inPlace && rect)
            m_inPlace->SetObjectRects(rect, rect);
        return S_OK;
    }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: no menus, no borders, no toolbars.
    STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }  // the frame's and the UI handler's
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler: the browser's own menus and UI, our host flags.
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info)
            return E_POINTER;
        if (m_events) {
            try {
                info->dwFlags = m_events->OnGetHostInfoFlags(info->dwFlags);
            } catch (...) {
            }
        }
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key)
            *key = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out)
            *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out)
            *out = nullptr;
        return S_FALSE;
    }

    // IDispatch: the control's events (and its questions for ambient properties,
    // which keep their defaults).
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (!m_events)
            return id < 0 ? DISP_E_MEMBERNOTFOUND : S_OK;
        try {
            switch (id) {
            case DISPID_BEFORENAVIGATE2: {
                bool cancel = false;
                m_events->OnBeforeNavigate(VariantText(Arg(params, 1)), cancel);
                if (cancel)
                    SetCancel(const_cast<VARIANT*>(Arg(params, 6)));
                return S_OK;
            }
            case DISPID_NAVIGATECOMPLETE2:
                m_events->OnNavigateComplete(VariantText(Arg(params, 1)));
                return S_OK;
            case DISPID_DOCUMENTCOMPLETE:
                m_events->OnDocumentComplete(VariantText(Arg(params, 1)));
                return S_OK;
            case DISPID_TITLECHANGE:
                m_events->OnTitleChange(VariantText(Arg(params, 0)));
                return S_OK;
            case DISPID_NAVIGATEERROR:
                m_events->OnNavigateError(VariantText(Arg(params, 1)), VariantInt(Arg(params, 3)));
                return S_OK;
            default:
                return id < 0 ? DISP_E_MEMBERNOTFOUND : S_OK;
            }
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    ~Site() = default;

    LONG m_refs = 1;
    HWND m_host;
    WebViewEvents* m_events;
    fw::ComPtr<IOleInPlaceObject> m_inPlace;
};

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

    m_site = new (std::nothrow) Site(hwnd(), m_events);
    if (!m_site)
        return fail(L"web control: no memory for its site", static_cast<unsigned long>(E_OUTOFMEMORY));
    HRESULT hr = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    m_object.put_void());
    if (FAILED(hr))
        return fail(L"web control: not created", static_cast<unsigned long>(hr));
    if (FAILED(hr = m_object->SetClientSite(static_cast<IOleClientSite*>(m_site))))
        return fail(L"web control: site refused", static_cast<unsigned long>(hr));
    ::OleSetContainedObject(m_object.get(), TRUE);

    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (FAILED(hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_site), 0,
                                     hwnd(), &client)))
        return fail(L"web control: not activated in place", static_cast<unsigned long>(hr));
    auto inPlace = m_object.As<IOleInPlaceObject>();
    m_site->SetInPlace(inPlace.get());
    m_browser = m_object.As<IWebBrowser2>();
    if (!m_browser)
        return fail(L"web control: no IWebBrowser2", static_cast<unsigned long>(E_NOINTERFACE));

    hr = E_NOINTERFACE;
    if (auto container = m_object.As<IConnectionPointContainer>()) {
        if (SUCCEEDED(hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_connection.put())) &&
            FAILED(hr = m_connection->Advise(static_cast<IDispatch*>(m_site), &m_cookie)))
            m_connection.reset();
    }
    if (!m_connection)
        return fail(L"web control: its events cannot be heard", static_cast<unsigned long>(hr));
    return true;
}

void ControlWebView::Close() {
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
        m_site->SetInPlace(nullptr);
        m_site->Detach();
        m_site->Release();
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
