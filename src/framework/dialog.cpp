#include "framework/dialog.h"

#include <algorithm>
#include <vector>

#include "framework/app.h"
#include "framework/picture.h"
#include "framework/placement.h"

namespace fw {

namespace {
// The owners of the modal loops running now, innermost last (null for a dialog
// without one); the program's windows all live on one thread.
std::vector<HWND> g_modalOwners;
bool g_modalsTopmost = false;

// Whether the template holds any control. A dialog with none (the login's) has no
// use for the common controls; one with controls registers them first, as a
// progress bar or a tool tip in it needs.
bool TemplateHasControls(UINT templateId) {
    const gdi::ResourceBytes found = gdi::FindResourceBytes(templateId, MAKEINTRESOURCEW(5));  // RT_DIALOG
    const auto* bytes = static_cast<const unsigned char*>(found.data);
    if (!bytes)
        return false;  // nothing will be made
    if (found.size < 18)
        return true;  // unreadable: assume the worst
    auto word = [&](std::size_t at) { return static_cast<unsigned>(bytes[at] | bytes[at + 1] << 8); };
    const bool extended = word(0) == 1 && word(2) == 0xFFFF;  // DLGTEMPLATEEX
    return word(extended ? 16 : 8) != 0;
}
}  // namespace

int Dialog::ModalLoopsOver(HWND owner) {
    return owner ? static_cast<int>(std::count(g_modalOwners.begin(), g_modalOwners.end(), owner)) : 0;
}

Dialog::~Dialog() {
    if (hwnd())
        Destroy();  // still bound: our WindowProc no longer runs, the dialog manager does the rest
}

HWND Dialog::CreateFromTemplate(HWND parent) {
    m_endRequested = false;
    m_result = -1;
    if (TemplateHasControls(m_templateId))
        UseCommonControls();
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
    owner = ModalOwner(owner);
    bool disabledOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        disabledOwner = true;
    }
    HWND dialog = CreateFromTemplate(owner);
    if (dialog && owner && g_modalsTopmost)  // a question over a window, not the main window itself
        ::SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (dialog && !m_endRequested && ShowOnModalStart())
        ::ShowWindow(dialog, SW_SHOW);

    g_modalOwners.push_back(owner);
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

    g_modalOwners.pop_back();
    if (disabledOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && hwnd() && ::GetActiveWindow() == hwnd())
        ::SetActiveWindow(owner);
    if (hwnd())
        Destroy();
    m_modal = false;
    return dialog ? m_result : -1;
}

void Dialog::SetModalsTopmost(bool topmost) { g_modalsTopmost = topmost; }

HWND Dialog::ModalOwner(HWND requested) {
    if (!requested) {
        if (App* app = App::Current(); app && app->MainWindow())
            requested = app->MainWindow()->hwnd();
    }
    // Like the system's modal dialogs: the owner is the top-level window above it.
    return requested && ::IsWindow(requested) ? ::GetAncestor(requested, GA_ROOT) : nullptr;
}

void Dialog::CenterWindow() {
    HWND h = hwnd();
    if (!h)
        return;
    RECT window{}, ownerRect{};
    ::GetWindowRect(h, &window);
    HWND owner = ::GetWindow(h, GW_OWNER);
    const bool overOwner =
        owner && ::IsWindowVisible(owner) && !::IsIconic(owner) && ::GetWindowRect(owner, &ownerRect);
    const Area over{ownerRect.left, ownerRect.top, ownerRect.right, ownerRect.bottom};
    const RECT wa = WorkArea();
    const Origin p = CentredOrigin(window.right - window.left, window.bottom - window.top,
                                   overOwner ? &over : nullptr, Area{wa.left, wa.top, wa.right, wa.bottom});
    ::SetWindowPos(h, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    RECT before{};
    ::GetWindowRect(hwnd, &before);
    const bool focusDefault = self->OnInitDialog();
    // A dialog that sized itself to its content without choosing a place is
    // centred, as modal dialogs are: a top-level window still hidden (not one
    // the system already places, nor one that showed itself) that did not
    // move, and is unowned or owned by the window it blocks.
    RECT after{};
    if (self->hwnd() == hwnd && self->CentreAfterInit() && ::GetWindowRect(hwnd, &after)) {
        const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
        HWND owner = ::GetWindow(hwnd, GW_OWNER);
        const bool placedBySystem = (style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) != 0;
        if (!(style & (WS_VISIBLE | WS_CHILD)) && !placedBySystem && after.left == before.left &&
            after.top == before.top && (!owner || !::IsWindowEnabled(owner)))
            self->CenterWindow();
    }
    // A modeless dialog still hidden takes no focus yet: the focus would make it
    // the active window unseen, and the window that had the keyboard (a game
    // page of another process) would lose it, to nobody under Wine. It gets the
    // focus when it shows and is activated.
    if (!self->m_modal && !(::GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)))
        return FALSE;
    return focusDefault ? TRUE : FALSE;
}

}  // namespace fw
