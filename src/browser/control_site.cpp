#include "browser/control_site.h"

#include <exdispid.h>
#include <mshtml.h>
#include <ocidl.h>

#include <new>
#include <optional>
#include <string>

#include "browser/control_web_view.h"
#include "browser/page_element.h"
#include "framework/com_object.h"

namespace ovn::browser {

namespace {

using fw::Bstr;

// Not in the import libraries this tool chain ships.
constexpr IID kIidDocHostShowUI = {0xc4d244b0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};

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

std::optional<std::wstring> VariantAsText(VARIANT& v) {
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return std::nullopt;
    if (v.vt != VT_BSTR && FAILED(::VariantChangeType(&v, &v, 0, VT_BSTR)))
        return std::nullopt;
    return v.bstrVal ? std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal)) : std::wstring();
}

// An element of the control's document as the page-only dialogs see it.
class ControlPageElement final : public PageElement {
public:
    explicit ControlPageElement(fw::ComPtr<IHTMLElement> element) : m_element(std::move(element)) {}

    std::wstring TagName() const override {
        Bstr text;
        m_element->get_tagName(text.put());
        return text.str();
    }
    std::wstring ClassName() const override {
        Bstr text;
        m_element->get_className(text.put());
        return text.str();
    }
    std::optional<std::wstring> Attribute(std::wstring_view name) const override {
        VARIANT v;
        ::VariantInit(&v);
        Bstr key{std::wstring(name)};
        if (FAILED(m_element->getAttribute(key.get(), 0, &v)))
            return std::nullopt;
        auto text = VariantAsText(v);
        ::VariantClear(&v);
        return text;
    }
    bool Disabled() const override {
        VARIANT v;
        ::VariantInit(&v);
        Bstr key(L"disabled");
        if (FAILED(m_element->getAttribute(key.get(), 0, &v)))
            return false;
        bool on = SUCCEEDED(::VariantChangeType(&v, &v, 0, VT_BOOL)) && v.boolVal != VARIANT_FALSE;
        ::VariantClear(&v);
        return on;
    }
    // offsetLeft and offsetTop are relative to the offset parent: the chain up
    // to the body gives the page position, less the body's scrolling.
    bool OffsetBox(ElementBox& box) const override {
        long left = 0, top = 0, width = 0, height = 0;
        if (FAILED(m_element->get_offsetWidth(&width)) || FAILED(m_element->get_offsetHeight(&height)))
            return false;
        fw::ComPtr<IHTMLElement> at = m_element;
        for (int guard = 0; at && guard < 256; ++guard) {
            long l = 0, t = 0;
            at->get_offsetLeft(&l);
            at->get_offsetTop(&t);
            left += l;
            top += t;
            fw::ComPtr<IHTMLElement> parent;
            if (FAILED(at->get_offsetParent(parent.put())))
                break;
            at = std::move(parent);
        }
        fw::ComPtr<IDispatch> docDispatch;
        if (SUCCEEDED(m_element->get_document(docDispatch.put())) && docDispatch) {
            fw::ComPtr<IHTMLElement> body;
            if (auto doc = docDispatch.As<IHTMLDocument2>(); doc && SUCCEEDED(doc->get_body(body.put())) && body) {
                if (auto body2 = body.As<IHTMLElement2>()) {
                    long sx = 0, sy = 0;
                    body2->get_scrollLeft(&sx);
                    body2->get_scrollTop(&sy);
                    left -= sx;
                    top -= sy;
                }
            }
        }
        box = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height)};
        return true;
    }
    bool SetBackgroundPositionX(int x) override {
        fw::ComPtr<IHTMLStyle> style;
        if (FAILED(m_element->get_style(style.put())) || !style)
            return false;
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = x;
        return SUCCEEDED(style->put_backgroundPositionX(v));
    }
    bool Click() override { return SUCCEEDED(m_element->click()); }
    bool SameAs(const PageElement& other) const override {
        const auto* o = dynamic_cast<const ControlPageElement*>(&other);
        if (!o)
            return false;
        auto a = m_element.As<IUnknown>(), b = o->m_element.As<IUnknown>();
        return a && a.get() == b.get();
    }

private:
    fw::ComPtr<IHTMLElement> m_element;
};

}  // namespace

// Hears the document's mouse and context-menu events (HTMLDocumentEvents2) and
// hands them, with the element they started on, to the page's events.
// Hears the document's mouse and context-menu events (HTMLDocumentEvents2) and
// hands them, with the element they started on, to the page's events.
class DocumentSink final : public fw::ComObject<fw::EventDispatch> {
public:
    explicit DocumentSink(WebViewEvents& events) : m_events(&events) {}
    void Detach() { m_events = nullptr; }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        auto event = PageEventFromDispId(id);
        if (!event || !m_events)
            return S_OK;
        const VARIANT* arg = Deref(Arg(params, 0));
        if (!arg || arg->vt != VT_DISPATCH || !arg->pdispVal)
            return S_OK;
        fw::ComPtr<IHTMLEventObj> eventObj;
        if (FAILED(arg->pdispVal->QueryInterface(IID_IHTMLEventObj, eventObj.put_void())) || !eventObj)
            return S_OK;
        fw::ComPtr<IHTMLElement> source;
        if (FAILED(eventObj->get_srcElement(source.put())) || !source)
            return S_OK;
        bool cancel = false;
        try {
            cancel = m_events->OnPageEvent(*event, std::make_shared<ControlPageElement>(std::move(source)));
        } catch (...) {
            return E_FAIL;
        }
        if (cancel) {
            VARIANT no;
            ::VariantInit(&no);
            no.vt = VT_BOOL;
            no.boolVal = VARIANT_FALSE;
            eventObj->put_returnValue(no);
            if (result) {
                ::VariantInit(result);
                result->vt = VT_BOOL;
                result->boolVal = VARIANT_FALSE;
            }
        }
        return S_OK;
    }

private:
    ~DocumentSink() override = default;
    void* Interface(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kDiidHtmlDocumentEvents2)
            return static_cast<IDispatch*>(this);
        return nullptr;
    }

    WebViewEvents* m_events;
};

// One COM object answers every question the control asks its container.
class ControlSite final : public fw::ComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IDocHostUIHandler,
                                              IDocHostShowUI, fw::EventDispatch> {
public:
    ControlSite(HWND host, WebViewEvents& events, ControlWebView& owner) : m_host(host), m_events(&events), m_owner(&owner) {}

    // After this the control may still hold references; it gets answers, but
    // no events reach the window any more.
    void Detach() {
        m_events = nullptr;
        m_host = nullptr;
        m_owner = nullptr;
    }
    void SetInPlace(IOleInPlaceObject* inPlace) { m_inPlace = fw::ComPtr<IOleInPlaceObject>(inPlace); }

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
    // The frame's and the UI handler's: nothing of ours to make modeless.
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler: the events decide the context menu and the host flags;
    // the browser keeps its own user interface, the page gets no external object.
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        try {
            return m_events && m_events->OnShowContextMenu() ? S_OK : S_FALSE;
        } catch (...) {
            return S_FALSE;
        }
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info)
            return E_POINTER;
        if (m_events) {
            try {
                info->dwFlags = m_events->OnGetHostInfoFlags(info->dwFlags);
            } catch (...) {
            }
        }
        info->dwFlags |= kHostFlagDpiAware;  // whatever the window asked for
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return E_NOTIMPL; }
    STDMETHODIMP UpdateUI() override { return E_NOTIMPL; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
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

    // IDocHostShowUI: a host that takes the browser's message boxes and help
    // answers them; without one they are answered as shown, showing nothing.
    STDMETHODIMP ShowMessage(HWND window, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                             DWORD helpContext, LRESULT* result) override {
        WebViewShowUI* ui = m_events ? m_events->ShowUI() : nullptr;
        if (!ui)
            return S_OK;
        std::intptr_t answer = 0;
        long hr = ui->OnShowMessage(window, text, caption, type, helpFile, helpContext, &answer);
        if (result)
            *result = static_cast<LRESULT>(answer);
        return static_cast<HRESULT>(hr);
    }
    STDMETHODIMP ShowHelp(HWND window, LPOLESTR helpFile, UINT command, DWORD data, POINT mouse,
                          IDispatch* objectHit) override {
        WebViewShowUI* ui = m_events ? m_events->ShowUI() : nullptr;
        if (!ui)
            return S_OK;
        return static_cast<HRESULT>(ui->OnShowHelp(window, helpFile, command, data, mouse.x, mouse.y, objectHit));
    }

    // IDispatch::Invoke: the control's events (and its questions for ambient
    // properties, which keep their defaults).
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
                if (m_owner)
                    m_owner->ListenToDocument();
                if (m_events)
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
    ~ControlSite() override = default;
    void* Interface(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            return static_cast<IOleClientSite*>(this);
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            return static_cast<IOleInPlaceSite*>(this);
        if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            return static_cast<IOleInPlaceFrame*>(this);
        if (iid == IID_IDocHostUIHandler)
            return static_cast<IDocHostUIHandler*>(this);
        if (iid == kIidDocHostShowUI)
            return static_cast<IDocHostShowUI*>(this);
        if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            return static_cast<IDispatch*>(this);
        return nullptr;
    }

    HWND m_host;
    WebViewEvents* m_events;
    ControlWebView* m_owner;
    fw::ComPtr<IOleInPlaceObject> m_inPlace;
};

ControlSite* NewControlSite(HWND host, WebViewEvents& events, ControlWebView& owner) {
    return new (std::nothrow) ControlSite(host, events, owner);
}
IOleClientSite* AsClientSite(ControlSite* site) { return site; }
IDispatch* AsEventSink(ControlSite* site) { return site; }
void SetInPlace(ControlSite* site, IOleInPlaceObject* inPlace) { site->SetInPlace(inPlace); }
void DetachAndRelease(ControlSite* site) {
    site->SetInPlace(nullptr);
    site->Detach();
    site->Release();
}

DocumentSink* NewDocumentSink(WebViewEvents& events) { return new (std::nothrow) DocumentSink(events); }
IDispatch* AsEventSink(DocumentSink* sink) { return sink; }
void DetachAndRelease(DocumentSink* sink) {
    sink->Detach();
    sink->Release();
}

}  // namespace ovn::browser
