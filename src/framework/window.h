// The window base: binds one C++ object to one HWND and hands every message to a
// single virtual handler. Three ways to bind: a window we create from a class we
// registered, an existing control we subclass, and a dialog (see dialog.h).
#pragma once
#include <windows.h>

namespace fw {

// A window's style (GWL_STYLE) and extended style (GWL_EXSTYLE) bits, set and
// cleared in one read-modify-write; each returns the style as it was.
LONG_PTR ChangeStyle(HWND window, LONG_PTR add, LONG_PTR remove = 0);
LONG_PTR ChangeExStyle(HWND window, LONG_PTR add, LONG_PTR remove = 0);
// Whether every one of bits is set.
bool HasStyle(HWND window, LONG_PTR bits);
bool HasExStyle(HWND window, LONG_PTR bits);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd != nullptr; }

    // The object bound to hwnd in this process, or null.
    static Window* FromHandle(HWND hwnd);

    // Registers a window class whose messages reach Window objects created by
    // Create(). Registering the same name twice is harmless.
    static bool RegisterClass(const wchar_t* className, UINT style = CS_DBLCLKS, HICON icon = nullptr,
                              HBRUSH background = nullptr, HCURSOR cursor = nullptr);
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, UINT_PTR idOrMenu = 0);

    // Binds an existing window (typically a dialog control) by subclassing it.
    bool Subclass(HWND hwnd);
    // Undoes Subclass; the window itself lives on.
    void Unsubclass();
    // Destroys the window if it is still there.
    void Destroy();

    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hwnd, id, elapseMs, nullptr); }
    void KillTimer(UINT_PTR id) { ::KillTimer(m_hwnd, id); }

    // Called by the message pump, from the target window up through its parents,
    // before the message is translated and dispatched. Return true to eat it.
    virtual bool PreTranslateMessage(MSG& msg);

protected:
    // One handler per class: a switch over the messages the class cares about;
    // everything else goes to Default().
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled right now.
    LRESULT Default();
    // The same, then the whole window painted again: for a skinned control whose
    // system class draws only part of itself (or over the skin) on that message.
    LRESULT DefaultThenRepaint();
    // Called after the window is gone (WM_NCDESTROY); the binding is already undone.
    virtual void OnFinalMessage() {}

    enum class Binding { None, Created, Subclassed, Dialog };
    // Used by Dialog: bind to a dialog window and subclass it so WindowProc sees
    // every message, with the dialog manager as the default processing.
    bool BindDialog(HWND hwnd);

private:
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd, Binding binding);
    void Unbind();
    bool SubclassAs(HWND hwnd, Binding binding);
    // Takes our procedure out of the window's chain, or leaves it passing messages on.
    void ReleaseSubclass();
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    Binding m_binding = Binding::None;
    WNDPROC m_previousProc = nullptr;  // the procedure our subclass replaced
    const CurrentMessage* m_current = nullptr;
};

// The primary screen's work area (the screen without the taskbar).
RECT WorkArea();

}  // namespace fw
