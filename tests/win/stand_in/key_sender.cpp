// Another program for the keyboard tests: a visible window of a process of its
// own that takes the focus only when told and types key chords with SendInput, as a
// player in some other program would. It counts the key-downs its window gets
// (the launcher's hook must pass every key on).
//   WM_APP+1               take the focus
//   WM_APP+2 (vk, mods)    type the chord: modifiers (Alt 1, Ctrl 2, Shift 4) down,
//                          the key down and up, the modifiers up
//   WM_APP+3 (vk) sent     answers how many key-downs of vk the window got
// It ends when its window is closed.
#include <windows.h>

namespace {

constexpr UINT kTakeFocus = WM_APP + 1;
constexpr UINT kType = WM_APP + 2;
constexpr UINT kCount = WM_APP + 3;

LONG g_downs[256];

void AddKey(INPUT* in, int& n, WORD vk, bool up) {
    in[n] = {};
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = vk;
    in[n].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ++n;
}

void Type(WORD vk, int mods) {
    const WORD modKeys[3] = {VK_CONTROL, VK_SHIFT, VK_MENU};
    const int modBits[3] = {2, 4, 1};
    INPUT in[8];
    int n = 0;
    for (int i = 0; i < 3; ++i)
        if (mods & modBits[i])
            AddKey(in, n, modKeys[i], false);
    AddKey(in, n, vk, false);
    AddKey(in, n, vk, true);
    for (int i = 2; i >= 0; --i)
        if (mods & modBits[i])
            AddKey(in, n, modKeys[i], true);
    SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
}

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam < 256)
            InterlockedIncrement(&g_downs[wParam]);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return 0;  // no menu mode for F10 or Alt
    case kTakeFocus:
        SetForegroundWindow(h);
        SetFocus(h);
        return 0;
    case kType:
        Type(static_cast<WORD>(wParam), static_cast<int>(lParam));
        return 0;
    case kCount:
        return wParam < 256 ? g_downs[wParam] : 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"OvnKeySender";
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(0, wc.lpszClassName, L"key sender", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr,
                             nullptr, instance, nullptr);
    if (!h)
        return 1;
    // In sight but not in front: it takes the focus only when told.
    ShowWindow(h, SW_SHOWNOACTIVATE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
