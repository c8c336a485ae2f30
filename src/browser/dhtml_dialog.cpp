#include "browser/dhtml_dialog.h"

#include <utility>

#include "common/log.h"

namespace ovn::browser {

CDHtmlDialog::~CDHtmlDialog() { m_view.reset(); }

bool CDHtmlDialog::Navigate(const std::wstring& url) { return m_view && m_view->Navigate(url); }

bool CDHtmlDialog::OnInitDialog() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    m_view = CreateWebView(hwnd(), client, *this);
    if (!m_view)
        LogFailure(L"page dialog: no web view", 0);
    return true;
}

// Our page-only dialogs: no 3-D border, no scroll bars of the browser's own (the
// body scrolls when it overflows); the skinned ones add dialog mode.
std::uint32_t CDHtmlDialog::OnGetHostInfoFlags(std::uint32_t) { return kHostFlagNo3DBorder | kHostFlagScrollNo; }

bool CDHtmlDialog::PreTranslateMessage(MSG& msg) {
    if (m_view && m_view->TranslateAccelerator(msg))
        return true;
    return fw::Dialog::PreTranslateMessage(msg);
}

LRESULT CDHtmlDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE && m_view && ResizeViewWithDialog())
        ::MoveWindow(m_view->WindowHandle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return fw::Dialog::WindowProc(msg, wParam, lParam);
}

CDHtmDlgEx::~CDHtmDlgEx() { m_pressed.reset(); }

HRESULT CDHtmDlgEx::ShowMessage(HWND, const wchar_t*, const wchar_t*, DWORD, const wchar_t*, DWORD, LRESULT*) {
    return S_FALSE;
}

HRESULT CDHtmDlgEx::ShowHelp(HWND, const wchar_t*, UINT, DWORD, POINT, IDispatch*) { return S_FALSE; }

long CDHtmDlgEx::OnShowMessage(void* window, const wchar_t* text, const wchar_t* caption, std::uint32_t type,
                               const wchar_t* helpFile, std::uint32_t helpContext, std::intptr_t* result) {
    LRESULT answer = 0;
    HRESULT hr = ShowMessage(static_cast<HWND>(window), text, caption, type, helpFile, helpContext, &answer);
    if (result)
        *result = answer;
    return hr;
}

long CDHtmDlgEx::OnShowHelp(void* window, const wchar_t* helpFile, std::uint32_t command, std::uintptr_t data,
                            int x, int y, void* objectHit) {
    return ShowHelp(static_cast<HWND>(window), helpFile, command, static_cast<DWORD>(data), POINT{x, y},
                    static_cast<IDispatch*>(objectHit));
}

bool CDHtmDlgEx::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    if (View())
        View()->SetSilent(true);
    return true;
}

void CDHtmDlgEx::OnBeforeNavigate(const std::wstring& url, bool& cancel) {
    switch (AppUrlFilter(url)) {
    case CancelFlag::Set: cancel = true; break;
    case CancelFlag::Clear: cancel = false; break;
    case CancelFlag::Keep: break;
    }
}

// Scroll bars only when the content overflows, despite the host flags. The
// browser control may not have the body yet when the navigation completes, so
// it is set again once the document is complete.
void CDHtmDlgEx::OnNavigateComplete(const std::wstring&) {
    if (View())
        View()->SetBodyScroll(L"auto");
}

void CDHtmDlgEx::OnDocumentComplete(const std::wstring&) {
    if (View())
        View()->SetBodyScroll(L"auto");
}

std::uint32_t CDHtmDlgEx::OnGetHostInfoFlags(std::uint32_t flags) {
    return CDHtmlDialog::OnGetHostInfoFlags(flags) | kHostFlagDialog;
}

void CDHtmDlgEx::SendDrag(HWND target, PageAction action) {
    UINT msg = 0;
    switch (action) {
    case PageAction::DragStart: msg = WM_NCLBUTTONDOWN; break;
    case PageAction::DragEnd: msg = WM_NCLBUTTONUP; break;
    case PageAction::DragMove: msg = WM_NCMOUSEMOVE; break;
    default: return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SendMessageW(target, msg, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}

bool CDHtmDlgEx::BoxInDialog(const PageElement& element, ElementBox& box) const {
    if (!element.OffsetBox(box))
        return false;
    if (View()) {
        POINT corner{box.left, box.top};
        ::MapWindowPoints(View()->WindowHandle(), hwnd(), &corner, 1);
        box.left = corner.x;
        box.top = corner.y;
    }
    return true;
}

void CDHtmDlgEx::ApplyButtonEffect(const std::shared_ptr<PageElement>& element, const ButtonEffect& effect) {
    if (!element)
        return;
    if (effect.press) {
        m_pressed = element;
        ::SetCapture(hwnd());
    }
    if (effect.frame) {
        ElementBox box;
        int width = element->OffsetBox(box) ? box.width : 0;
        element->SetBackgroundPositionX(SpriteOffsetX(*effect.frame, width));
    }
    if (effect.click)
        element->Click();
}

bool CDHtmDlgEx::OnPageEvent(PageEvent event, const std::shared_ptr<PageElement>& source) {
    if (!source)
        return false;
    PageAction action = DhtmDlgExAction(event, source->TagName(), source->ClassName());
    switch (action) {
    case PageAction::None:
        return false;
    case PageAction::ButtonNormal:
    case PageAction::ButtonHover:
    case PageAction::ButtonPress:
    case PageAction::ButtonMouseUp:
        ApplyButtonEffect(source, ButtonEventEffect(action, source->Disabled(), ::GetCapture() == hwnd()));
        return true;
    case PageAction::DragStart:
    case PageAction::DragEnd:
    case PageAction::DragMove:
        SendDrag(hwnd(), action);
        return true;
    case PageAction::Cancel:
        return true;
    }
    return true;
}

LRESULT CDHtmDlgEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        if (::GetCapture() != hwnd())
            break;
        // Taken first, so that the capture change below is not taken for a lost press.
        std::shared_ptr<PageElement> pressed = std::move(m_pressed);
        m_pressed.reset();
        ::ReleaseCapture();
        if (pressed) {
            ElementBox box;
            ClientPoint at = PointFromLParam(lParam);
            ButtonEffect effect;
            if (BoxInDialog(*pressed, box))
                effect = ButtonReleaseEffect(box, at.x, at.y, pressed->Disabled());
            else
                effect.frame = ButtonFrame::Normal;
            ApplyButtonEffect(pressed, effect);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        // The capture taken away from outside (another window, a system menu)
        // ends the press without a click.
        if (m_pressed && reinterpret_cast<HWND>(lParam) != hwnd()) {
            std::shared_ptr<PageElement> pressed = std::move(m_pressed);
            m_pressed.reset();
            ApplyButtonEffect(pressed, ButtonEffect{ButtonFrame::Normal});
        }
        break;
    default:
        break;
    }
    return CDHtmlDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn::browser
