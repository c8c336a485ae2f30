#include "framework/window.h"

#include "framework/app.h"

#include <unordered_map>

namespace fw {

namespace {

LONG_PTR ChangeLong(HWND window, int which, LONG_PTR add, LONG_PTR remove) {
    const LONG_PTR before = ::GetWindowLongPtrW(window, which);
    const LONG_PTR after = (before & ~remove) | add;
    if (after != before)
        ::SetWindowLongPtrW(window, which, after);
    return before;
}

}  // namespace

LONG_PTR ChangeStyle(HWND window, LONG_PTR add, LONG_PTR remove) { return ChangeLong(window, GWL_STYLE, add, remove); }
LONG_PTR ChangeExStyle(HWND window, LONG_PTR add, LONG_PTR remove) {
    return ChangeLong(window, GWL_EXSTYLE, add, remove);
}
bool HasStyle(HWND window, LONG_PTR bits) { return (::GetWindowLongPtrW(window, GWL_STYLE) & bits) == bits; }
bool HasExStyle(HWND window, LONG_PTR bits) { return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & bits) == bits; }

namespace {

// HWND -> object for this process. Only the user-interface thread touches windows.
std::unordered_map<HWND, Window*>& Bindings() {
    static std::unordered_map<HWND, Window*> map;
    return map;
}

// Windows we let go of while another subclass sat above ours: our procedure stays in
// their chain and passes every message on to the one it replaced.
std::unordered_map<HWND, WNDPROC>& PassThroughs() {
    static std::unordered_map<HWND, WNDPROC> map;
    return map;
}

WNDPROC CurrentProc(HWND hwnd) { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

}  // namespace

Window::~Window() {
    if (!m_hwnd)
        return;
    if (m_binding == Binding::Subclassed)
        Unsubclass();
    else
        Destroy();
}

Window* Window::FromHandle(HWND hwnd) {
    auto& map = Bindings();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

void Window::Bind(HWND hwnd, Binding binding) {
    m_hwnd = hwnd;
    m_binding = binding;
    Bindings()[hwnd] = this;
}

void Window::Unbind() {
    if (m_hwnd)
        Bindings().erase(m_hwnd);
    m_hwnd = nullptr;
    m_binding = Binding::None;
}

bool Window::RegisterClass(const wchar_t* className, UINT style, HICON icon, HBRUSH background, HCURSOR cursor) {
    WNDCLASSEXW wc{};
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &wc))
        return true;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &Window::ClassProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, UINT_PTR idOrMenu) {
    if (m_hwnd)
        return false;
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                  reinterpret_cast<HMENU>(idOrMenu), ::GetModuleHandleW(nullptr), this);
    return hwnd != nullptr && hwnd == m_hwnd;
}

// Subclassing replaces the window's procedure by hand rather than through the
// common controls' subclass helpers: a login has no other use for that library, and
// its load is a good part of the time before the login screen shows.
bool Window::Subclass(HWND hwnd) { return SubclassAs(hwnd, Binding::Subclassed); }

bool Window::BindDialog(HWND hwnd) { return SubclassAs(hwnd, Binding::Dialog); }

bool Window::SubclassAs(HWND hwnd, Binding binding) {
    if (m_hwnd || !hwnd || FromHandle(hwnd))
        return false;
    auto& passThroughs = PassThroughs();
    if (auto left = passThroughs.find(hwnd); left != passThroughs.end()) {
        // Our procedure is still in the chain from an earlier binding: take it up again.
        m_previousProc = left->second;
        passThroughs.erase(left);
        Bind(hwnd, binding);
        return true;
    }
    const LONG_PTR previous =
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc));
    if (!previous)  // another process's window, or no window at all
        return false;
    m_previousProc = reinterpret_cast<WNDPROC>(previous);
    Bind(hwnd, binding);
    return true;
}

void Window::ReleaseSubclass() {
    if (CurrentProc(m_hwnd) == &Window::SubclassProc)
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    else  // someone subclassed after us; taking ours out would cut them off
        PassThroughs()[m_hwnd] = m_previousProc;
    m_previousProc = nullptr;
}

void Window::Unsubclass() {
    if (!m_hwnd || m_binding == Binding::Created)
        return;
    ReleaseSubclass();
    Unbind();
}

void Window::Destroy() {
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);  // WM_NCDESTROY unbinds
    if (m_hwnd)                   // destroyed by another thread or already gone
        Unbind();
}

bool Window::PreTranslateMessage(MSG&) { return false; }

LRESULT Window::WindowProc(UINT, WPARAM, LPARAM) { return Default(); }

LRESULT Window::Default() {
    if (!m_current || !m_hwnd)
        return 0;
    const CurrentMessage& m = *m_current;
    if (m_binding == Binding::Created)
        return ::DefWindowProcW(m_hwnd, m.msg, m.wParam, m.lParam);
    return ::CallWindowProcW(m_previousProc, m_hwnd, m.msg, m.wParam, m.lParam);
}

LRESULT Window::DefaultThenRepaint() {
    const LRESULT result = Default();
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    return result;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    CurrentMessage current{msg, wParam, lParam};
    const CurrentMessage* outer = m_current;  // handlers may send messages to themselves
    m_current = &current;
    LRESULT result = WindowProc(msg, wParam, lParam);
    m_current = outer;
    if (msg == WM_NCDESTROY) {
        if (m_binding != Binding::Created && m_hwnd) {
            ReleaseSubclass();
            PassThroughs().erase(m_hwnd);  // the handle may come back as another window
        }
        Unbind();
        // The main window's end is the end of the message loop.
        if (App* app = App::Current(); app && app->MainWindow() == this) {
            app->SetMainWindow(nullptr);
            ::PostQuitMessage(0);
        }
        OnFinalMessage();
    }
    return result;
}

LRESULT CALLBACK Window::ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(hwnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self)
            self->Bind(hwnd, Binding::Created);
    }
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(hwnd);
    if (self && self->m_binding != Binding::Created)
        return self->Dispatch(msg, wParam, lParam);
    auto& passThroughs = PassThroughs();
    auto left = passThroughs.find(hwnd);
    if (left == passThroughs.end())
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC previous = left->second;
    if (msg == WM_NCDESTROY)
        passThroughs.erase(left);
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

RECT WorkArea() {
    RECT wa{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0))
        wa = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return wa;
}

}  // namespace fw
