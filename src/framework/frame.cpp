#include "framework/frame.h"

namespace fw {

bool FrameWindow::CreateFrame(const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
                              HICON icon) {
    if (!RegisterClass(kClassName, CS_DBLCLKS, icon, nullptr))
        return false;
    if (!Create(exStyle, kClassName, title, style, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, parent))
        return false;
    m_view = CreateView();
    LayoutView();
    return true;
}

void FrameWindow::LayoutView() {
    if (!m_view || !m_view->hwnd())
        return;
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    ::MoveWindow(m_view->hwnd(), 0, 0, rc.right, rc.bottom, TRUE);
}

LRESULT FrameWindow::WindowProc(UINT msg, WPARAM, LPARAM) {
    switch (msg) {
    case WM_SIZE:
        LayoutView();
        return 0;
    case WM_SETFOCUS:
        if (m_view && m_view->hwnd()) {
            ::SetFocus(m_view->hwnd());
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (m_view && m_view->hwnd())
            return 1;  // the view covers everything
        break;
    case WM_DESTROY:
        m_view.reset();
        break;
    }
    return Default();
}

}  // namespace fw
