// Another program's windows, for the tests that check the program leaves them
// alone: "ovn_foreign_windows.exe <class>..." shows one topmost window of each
// class named (a dialog's class "#32770" included), then sets the event
// "OvnForeignWindowsReady", and ends when the event "OvnForeignWindowsStop" is
// set or after a minute. Every window of it that is closed or destroyed
// remains a fact the test reads from outside (IsWindow).
#include <windows.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, L"OvnForeignWindowsStop");
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"OvnForeignWindowsReady");
    for (int i = 1; argv && i < count; ++i) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = instance;
        wc.lpszClassName = argv[i];
        if (std::wstring(argv[i]) != L"#32770")
            RegisterClassW(&wc);
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, argv[i], L"foreign", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                        nullptr, nullptr, instance, nullptr);
    }
    SetEvent(ready);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        if (MsgWaitForMultipleObjects(1, &stop, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    LocalFree(argv);
    CloseHandle(ready);
    CloseHandle(stop);
    return 0;
}
