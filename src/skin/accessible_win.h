// Our controls as assistive technology sees them. Each control that draws
// itself answers WM_GETOBJECT with the system's own object for its window,
// wrapped so that its name, role and state are the ones the control describes
// (access_rules.h). The system's dynamic annotation would do the same on
// Windows, but Wine's refuses every property (E_NOTIMPL): answering the
// message works on both.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <optional>

#include "framework/com_object.h"
#include "skin/access_rules.h"

namespace ovn::skin {

// Asked of a control by its accessible object, sent with an AccFace* in
// lParam; the control fills it and answers 1.
UINT AccessibleFaceMessage();

// WM_GETOBJECT for the client object, and the face message, answered from
// face; anything else (another object id, another message): none.
std::optional<LRESULT> AnswerAccessible(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, const AccFace& face);

// The thread's apartment, which handing an object to another process needs;
// entered at the first request and kept for the thread's life.
void EnsureAccessibilityApartment();

// What the system should tell listening clients about one of our objects.
void NotifyAccessible(DWORD event, HWND window, LONG object, LONG child);

// An IAccessible of ours: IDispatch without type information, and the window
// it belongs to for IOleWindow.
class AccessibleBase : public fw::ComObject<IAccessible, IOleWindow> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override;

protected:
    explicit AccessibleBase(HWND window) : m_hwnd(window) {}
    void* Interface(REFIID iid) override;
    HWND m_hwnd;
};

// Helpers for the objects' answers.
HRESULT ReturnText(const std::wstring& text, BSTR* out);  // S_FALSE and null for an empty text
bool IsSelf(const VARIANT& child);

}  // namespace ovn::skin
