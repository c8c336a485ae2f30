// Keeps the Wine desktop alive for a whole test run. Wine closes its desktop a
// moment after the last program using it ends, and a program that starts while
// it is closing cannot make windows. Test programs come and go one after the
// other; this one stays, with a single hidden window, until the Wine server is
// stopped. It draws nothing and owns no visible window, so no test sees it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"OvnDesktopKeeper";
    if (!RegisterClassW(&wc))
        return 1;
    if (!CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                         nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
