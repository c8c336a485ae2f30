#include "skin/accessible_win.h"

namespace ovn::skin {

namespace {

static_assert(RoleLink == ROLE_SYSTEM_LINK && RolePageTab == ROLE_SYSTEM_PAGETAB &&
              RoleStaticText == ROLE_SYSTEM_STATICTEXT && RolePushButton == ROLE_SYSTEM_PUSHBUTTON &&
              RoleProgressBar == ROLE_SYSTEM_PROGRESSBAR && RolePageTabList == ROLE_SYSTEM_PAGETABLIST);
static_assert(StateSelected == STATE_SYSTEM_SELECTED && StateFocused == STATE_SYSTEM_FOCUSED &&
              StatePressed == STATE_SYSTEM_PRESSED && StateFocusable == STATE_SYSTEM_FOCUSABLE &&
              StateSelectable == STATE_SYSTEM_SELECTABLE && StateLinked == STATE_SYSTEM_LINKED);

// The system's object for the control's window, with what the control says of
// itself put in place of what the system would read from its window text and
// class: an owner-drawn button without text would be nameless, a notifying
// label plain text.
class ControlAccessible final : public AccessibleBase {
public:
    ControlAccessible(HWND control, IAccessible* standard) : AccessibleBase(control), m_std(standard) {}

    STDMETHODIMP get_accParent(IDispatch** out) override { return m_std->get_accParent(out); }
    STDMETHODIMP get_accChildCount(long* out) override { return m_std->get_accChildCount(out); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override { return m_std->get_accChild(child, out); }
    STDMETHODIMP get_accName(VARIANT child, BSTR* out) override {
        AccFace face;
        if (!IsSelf(child) || !Face(face))
            return m_std->get_accName(child, out);
        return ReturnText(face.name, out);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* out) override {
        AccFace face;
        if (!IsSelf(child) || !Face(face) || face.value.empty())
            return m_std->get_accValue(child, out);
        return ReturnText(face.value, out);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* out) override {
        return m_std->get_accDescription(child, out);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* out) override {
        AccFace face;
        if (!IsSelf(child) || !Face(face) || !face.role)
            return m_std->get_accRole(child, out);
        if (!out)
            return E_POINTER;
        out->vt = VT_I4;
        out->lVal = face.role;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* out) override {
        const HRESULT hr = m_std->get_accState(child, out);
        AccFace face;
        if (SUCCEEDED(hr) && out && out->vt == VT_I4 && IsSelf(child) && Face(face))
            out->lVal |= face.addState;
        return hr;
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* out) override { return m_std->get_accHelp(child, out); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return m_std->get_accKeyboardShortcut(child, out);
    }
    STDMETHODIMP get_accFocus(VARIANT* out) override { return m_std->get_accFocus(out); }
    STDMETHODIMP get_accSelection(VARIANT* out) override { return m_std->get_accSelection(out); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* out) override {
        return m_std->get_accDefaultAction(child, out);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override { return m_std->accSelect(flags, child); }
    STDMETHODIMP accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        return m_std->accLocation(x, y, w, h, child);
    }
    STDMETHODIMP accNavigate(long dir, VARIANT start, VARIANT* out) override {
        return m_std->accNavigate(dir, start, out);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* out) override { return m_std->accHitTest(x, y, out); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return m_std->accDoDefaultAction(child); }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ControlAccessible() override { m_std->Release(); }
    // Asked each time: the name follows the control (a maximise button that
    // became a restore button, the sound switched off).
    bool Face(AccFace& face) const {
        return ::IsWindow(m_hwnd) &&
               ::SendMessageW(m_hwnd, AccessibleFaceMessage(), 0, reinterpret_cast<LPARAM>(&face)) == 1;
    }
    IAccessible* m_std;
};

}  // namespace

UINT AccessibleFaceMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"OvnAccessibleFace");
    return message;
}

void EnsureAccessibilityApartment() {
    // Kept until the thread ends: the objects handed out may be called any time.
    static thread_local bool entered = false;
    if (!entered)
        entered = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void NotifyAccessible(DWORD event, HWND window, LONG object, LONG child) {
    if (window)
        ::NotifyWinEvent(event, window, object, child);
}

std::optional<LRESULT> AnswerAccessible(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, const AccFace& face) {
    if (msg == AccessibleFaceMessage()) {
        if (auto* out = reinterpret_cast<AccFace*>(lParam)) {
            *out = face;
            return 1;
        }
        return 0;
    }
    if (msg != WM_GETOBJECT || static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
        return std::nullopt;
    EnsureAccessibilityApartment();
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(&standard))) ||
        !standard)
        return std::nullopt;
    auto* object = new ControlAccessible(control, standard);
    const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
    object->Release();  // the client's reference, if any, keeps it
    return result;
}

void* AccessibleBase::Interface(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible)
        return static_cast<IAccessible*>(this);
    if (iid == IID_IOleWindow)
        return static_cast<IOleWindow*>(this);
    return nullptr;
}

STDMETHODIMP AccessibleBase::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP AccessibleBase::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP AccessibleBase::GetWindow(HWND* out) {
    if (!out)
        return E_POINTER;
    *out = m_hwnd;
    return S_OK;
}

STDMETHODIMP AccessibleBase::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace ovn::skin
