// The least two processes can do to show one window inside another's: the
// benchmark's yardstick for the launcher's start and memory.
//   minimal_adopt.exe          A: a top-level window, then starts itself as B
//   minimal_adopt.exe HWND     B: a hidden top-level window, asks A to adopt it
//                              (WM_USER+2, as a game page does) and becomes its child
// B ends when A does; nothing else happens in either process.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "floor_window.h"

namespace {

constexpr wchar_t kClass[] = L"OvnBenchMinimal";
constexpr wchar_t kTitle[] = L"OvnBenchMinimal";
constexpr UINT kMsgAdopt = WM_USER + 2;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgAdopt:
        return 0;  // the child places itself; the parent only hears of it
    case WM_DESTROY:
        if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterOnce() {
    return bench::RegisterFloorClass(kClass, Proc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

int Pump() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunParent() {
    HWND wnd = CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!wnd)
        return 1;
    ShowWindow(wnd, SW_SHOWNORMAL);

    wchar_t self[MAX_PATH];
    DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return 1;
    // Window handles fit in 32 bits on every Windows, as the launcher passes them too.
    std::wstring line = L"\"" + std::wstring(self, len) + L"\" " +
                        std::to_wstring(static_cast<long>(reinterpret_cast<INT_PTR>(wnd)));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Pump();
}

int RunChild(HWND parent) {
    DWORD parentPid = 0;
    GetWindowThreadProcessId(parent, &parentPid);
    HANDLE parentProcess = OpenProcess(SYNCHRONIZE, FALSE, parentPid);
    if (!parentProcess)
        return 1;

    HWND wnd = CreateWindowExW(0, kClass, kTitle, WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!wnd) {
        CloseHandle(parentProcess);
        return 1;
    }
    PostMessageW(parent, kMsgAdopt, reinterpret_cast<WPARAM>(wnd), 0);
    SetWindowLongPtrW(wnd, GWL_STYLE, (GetWindowLongPtrW(wnd, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
    SetParent(wnd, parent);

    // Waiting on the parent process rather than polling its window: the floor
    // costs no CPU while it idles.
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &parentProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    CloseHandle(parentProcess);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
    if (!RegisterOnce())
        return 1;
    while (*cmdLine && iswspace(*cmdLine))
        ++cmdLine;
    if (!*cmdLine)
        return RunParent();
    wchar_t* end = nullptr;
    long value = wcstol(cmdLine, &end, 10);
    if (end == cmdLine)
        return 2;
    return RunChild(reinterpret_cast<HWND>(static_cast<INT_PTR>(value)));
}
