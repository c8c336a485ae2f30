#include "launcher/tab_access_win.h"

#include "skin/accessible_win.h"

namespace ovn {

namespace {

using launcher::AccNode;
using launcher::TabListSnapshot;
using skin::IsSelf;
using skin::ReturnText;

constexpr long kCloseBox = 1;  // the close box: a tab's one child, a simple element

// The root (the page-tab list) or one tab of it, known by its label.
class TabAccessible final : public skin::AccessibleBase {
public:
    TabAccessible(HWND strip, bool root, std::wstring label)
        : AccessibleBase(strip), m_root(root), m_label(std::move(label)) {}

    STDMETHODIMP get_accParent(IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (m_root)
            return ::AccessibleObjectFromWindow(m_hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                                reinterpret_cast<void**>(out));
        *out = new TabAccessible(m_hwnd, true, L"");
        return S_OK;
    }
    STDMETHODIMP get_accChildCount(long* out) override {
        TabListSnapshot s;
        if (!out)
            return E_POINTER;
        if (!Read(s))
            return CO_E_OBJNOTCONNECTED;
        *out = m_root ? static_cast<long>(s.labels.size()) : 1;
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        TabListSnapshot s;
        int index = -1;
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!Read(s))
            return CO_E_OBJNOTCONNECTED;
        if (!m_root)
            return child.vt == VT_I4 && child.lVal == kCloseBox ? S_FALSE : E_INVALIDARG;
        if (!ChildTab(s, child, index))
            return E_INVALIDARG;
        *out = TabObject(s, index);
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* out) override {
        AccNode n;
        const HRESULT hr = Node(child, n);
        return FAILED(hr) ? hr : ReturnText(n.name, out);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* out) override {
        AccNode n;
        const HRESULT hr = Node(child, n);
        return FAILED(hr) ? hr : ReturnText(n.defaultAction, out);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* out) override { return Number(child, out, &AccNode::role); }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* out) override { return Number(child, out, &AccNode::state); }
    STDMETHODIMP get_accFocus(VARIANT* out) override {
        TabListSnapshot s;
        if (const HRESULT hr = ReadInto(out, s); hr != S_OK)
            return hr;
        if (!s.focused || s.selected < 0)
            return S_FALSE;
        if (m_root) {
            out->vt = VT_DISPATCH;
            out->pdispVal = TabObject(s, s.selected);
        } else if (launcher::FindTab(s, m_label) == s.selected) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
        }
        return out->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* out) override {
        TabListSnapshot s;
        if (const HRESULT hr = ReadInto(out, s); hr != S_OK)
            return hr;
        if (!m_root || s.selected < 0)
            return S_FALSE;
        out->vt = VT_DISPATCH;
        out->pdispVal = TabObject(s, s.selected);
        return S_OK;
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        TabListSnapshot s;
        if (!Read(s))
            return CO_E_OBJNOTCONNECTED;
        const int index = m_root ? -1 : launcher::FindTab(s, m_label);
        if (m_root || !IsSelf(child) || index < 0)
            return E_INVALIDARG;
        if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION | SELFLAG_TAKEFOCUS))
            ::PostMessageW(m_hwnd, TabListActionMessage(), 0, index);
        return S_OK;
    }
    STDMETHODIMP accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        AccNode n;
        if (!x || !y || !w || !h)
            return E_POINTER;
        const HRESULT hr = Node(child, n);
        if (FAILED(hr))
            return hr;
        POINT origin{0, 0};
        ::ClientToScreen(::GetParent(m_hwnd), &origin);
        *x = origin.x + n.box.left;
        *y = origin.y + n.box.top;
        *w = n.box.right - n.box.left;
        *h = n.box.bottom - n.box.top;
        return S_OK;
    }
    STDMETHODIMP accNavigate(long dir, VARIANT start, VARIANT* out) override {
        TabListSnapshot s;
        if (const HRESULT hr = ReadInto(out, s); hr != S_OK)
            return hr;
        const int count = static_cast<int>(s.labels.size());
        if (m_root && IsSelf(start) && (dir == NAVDIR_FIRSTCHILD || dir == NAVDIR_LASTCHILD) && count > 0) {
            out->vt = VT_DISPATCH;
            out->pdispVal = TabObject(s, dir == NAVDIR_FIRSTCHILD ? 0 : count - 1);
            return S_OK;
        }
        if (!m_root && IsSelf(start) && (dir == NAVDIR_FIRSTCHILD || dir == NAVDIR_LASTCHILD)) {
            out->vt = VT_I4;
            out->lVal = kCloseBox;
            return S_OK;
        }
        // From a tab to its neighbours, as the strip lays them out.
        int from = -1;
        if (m_root && !IsSelf(start) && !ChildTab(s, start, from))
            return E_INVALIDARG;
        if (!m_root && IsSelf(start))
            from = launcher::FindTab(s, m_label);
        if (from < 0)
            return S_FALSE;
        const bool next = dir == NAVDIR_NEXT || dir == NAVDIR_RIGHT;
        const bool previous = dir == NAVDIR_PREVIOUS || dir == NAVDIR_LEFT;
        const int to = next ? from + 1 : previous ? from - 1 : -1;
        if (to < 0 || to >= count)
            return S_FALSE;
        out->vt = VT_DISPATCH;
        out->pdispVal = TabObject(s, to);
        return S_OK;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* out) override {
        TabListSnapshot s;
        if (const HRESULT hr = ReadInto(out, s); hr != S_OK)
            return hr;
        POINT p{x, y};
        ::ScreenToClient(::GetParent(m_hwnd), &p);
        const launcher::TabHit hit = launcher::HitTestTabs(p.x, p.y, s.labels.size(), s.scale);
        if (m_root && hit.Over()) {
            out->vt = VT_DISPATCH;
            out->pdispVal = TabObject(s, hit.tab);
            return S_OK;
        }
        if (!m_root && hit.Over() && hit.tab == launcher::FindTab(s, m_label)) {
            out->vt = VT_I4;
            out->lVal = hit.closeBox ? kCloseBox : CHILDID_SELF;
            return S_OK;
        }
        return S_FALSE;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        TabListSnapshot s;
        if (!Read(s))
            return CO_E_OBJNOTCONNECTED;
        const int index = m_root ? -1 : launcher::FindTab(s, m_label);
        if (index < 0)
            return m_root ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
        if (!IsSelf(child) && !(child.vt == VT_I4 && child.lVal == kCloseBox))
            return E_INVALIDARG;
        ::PostMessageW(m_hwnd, TabListActionMessage(), IsSelf(child) ? 0 : 1, index);
        return S_OK;
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // The start of every call that answers in a VARIANT: out cleared, the tabs
    // read from the window (gone: the object is no longer connected).
    HRESULT ReadInto(VARIANT* out, TabListSnapshot& s) const {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        return Read(s) ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    bool Read(TabListSnapshot& s) const {
        return ::IsWindow(m_hwnd) &&
               ::SendMessageW(m_hwnd, TabListSnapshotMessage(), 0, reinterpret_cast<LPARAM>(&s)) == 1;
    }
    // A child id of the list: 1 .. number of tabs.
    static bool ChildTab(const TabListSnapshot& s, const VARIANT& child, int& index) {
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<long>(s.labels.size()))
            return false;
        index = static_cast<int>(child.lVal) - 1;
        return true;
    }
    IDispatch* TabObject(const TabListSnapshot& s, int index) const {
        return new TabAccessible(m_hwnd, false, s.labels[static_cast<std::size_t>(index)]);
    }
    // The element a child id names from this object.
    HRESULT Node(const VARIANT& child, AccNode& n) const {
        TabListSnapshot s;
        if (!Read(s))
            return CO_E_OBJNOTCONNECTED;
        int index = -1;
        if (m_root) {
            if (IsSelf(child))
                n = launcher::TabListNode(s);
            else if (ChildTab(s, child, index))
                n = launcher::TabNode(s, index);
            else
                return E_INVALIDARG;
            return S_OK;
        }
        index = launcher::FindTab(s, m_label);
        if (index < 0)
            return CO_E_OBJNOTCONNECTED;  // the tab was closed
        if (IsSelf(child))
            n = launcher::TabNode(s, index);
        else if (child.vt == VT_I4 && child.lVal == kCloseBox)
            n = launcher::TabCloseNode(index, s.scale);
        else
            return E_INVALIDARG;
        return S_OK;
    }
    HRESULT Number(const VARIANT& child, VARIANT* out, long AccNode::*field) const {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        AccNode n;
        const HRESULT hr = Node(child, n);
        if (FAILED(hr))
            return hr;
        out->vt = VT_I4;
        out->lVal = n.*field;
        return S_OK;
    }
    HRESULT Nothing(const VARIANT& child, BSTR* out) const {
        AccNode n;
        const HRESULT hr = Node(child, n);
        return FAILED(hr) ? hr : ReturnText(L"", out);
    }

    bool m_root;
    std::wstring m_label;
};

}  // namespace

UINT TabListSnapshotMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"OvnTabListSnapshot");
    return message;
}

UINT TabListActionMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"OvnTabListAction");
    return message;
}

LRESULT AnswerTabListObject(HWND strip, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
    if (!handled)
        return 0;
    skin::EnsureAccessibilityApartment();
    auto* object = new TabAccessible(strip, true, L"");
    const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result;
}

}  // namespace ovn
