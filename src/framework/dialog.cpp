#include "framework/dialog.h"

#include "framework/app.h"

namespace fw {

Dialog::~Dialog() {
    if (hwnd())
        Destroy();  // still bound: our WindowProc no longer runs, the dialog manager does the rest
}

HWND Dialog::CreateFromTemplate(HWND parent) {
    m_endRequested = false;
    m_result = -1;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HWND parent) {
    if (hwnd())
        return false;
    m_modal = false;
    return CreateFromTemplate(parent) != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (hwnd())
        return -1;
    m_modal = true;
    // Like the system's modal dialogs: the owner is the top-level window above it.
    if (owner)
        owner = ::GetAncestor(owner, GA_ROOT);
    bool disabledOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        disabledOwner = true;
    }
    HWND dialog = CreateFromTemplate(owner);
    if (dialog && !m_endRequested && ShowOnModalStart())
        ::ShowWindow(dialog, SW_SHOW);

    MSG msg;
    while (dialog && !m_endRequested && hwnd()) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // let the outer loop see it too
            break;
        }
        if (got == -1)
            break;
        if (!App::PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (disabledOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && hwnd() && ::GetActiveWindow() == hwnd())
        ::SetActiveWindow(owner);
    if (hwnd())
        Destroy();
    m_modal = false;
    return dialog ? m_result : -1;
}

void Dialog::EndDialog(INT_PTR result) {
    m_result = result;
    m_endRequested = true;
    if (!m_modal) {
        Destroy();
        return;
    }
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);  // wake the modal loop if it is waiting
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST);
    if (!input || !hwnd())
        return false;
    return ::IsDialogMessageW(hwnd(), &msg) != FALSE;
}

LRESULT Dialog::WindowProc(UINT msg, WPARAM wParam, LPARAM) {
    // Buttons (BN_CLICKED is 0), the dialog manager's Enter/Esc and accelerators.
    if (msg == WM_COMMAND && HIWORD(wParam) <= 1) {
        switch (LOWORD(wParam)) {
        case IDOK: OnOK(); return 0;
        case IDCANCEL: OnCancel(); return 0;
        }
    }
    if (msg == WM_NCDESTROY)
        m_endRequested = true;  // destroyed from outside: the modal loop ends
    return Default();
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_INITDIALOG)
        return FALSE;  // everything else reaches the object through its subclass
    auto* self = reinterpret_cast<Dialog*>(lParam);
    if (!self || !self->BindDialog(hwnd))
        return TRUE;
    return self->OnInitDialog() ? TRUE : FALSE;
}

}  // namespace fw
