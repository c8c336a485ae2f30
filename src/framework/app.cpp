#include "framework/app.h"

#include "framework/window.h"

#include <commctrl.h>

namespace fw {

namespace {
App* g_app = nullptr;
}

App::App() { g_app = this; }

App::~App() {
    if (g_app == this)
        g_app = nullptr;
}

App* App::Current() { return g_app; }

int App::Main(HINSTANCE instance) {
    m_instance = instance;
    if (InitInstance())
        m_exitCode = Run();
    return ExitInstance();
}

int App::Run() {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return -1;
        if (!PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool App::PreTranslate(MSG& msg) {
    for (HWND h = msg.hwnd; h; h = ::GetParent(h)) {
        if (Window* w = Window::FromHandle(h))
            if (w->PreTranslateMessage(msg))
                return true;
        // Stop at the top-level window; GetParent would go on to an owner.
        if (!HasStyle(h, WS_CHILD))
            break;
    }
    return false;
}

void UseCommonControls() {
    static bool registered = false;  // the UI thread's, like every window
    if (registered)
        return;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    registered = ::InitCommonControlsEx(&icc) != FALSE;
}

}  // namespace fw
