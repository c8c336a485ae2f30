// The pop-up menu open on the screen, as a player meets it: found by its window
// (class "#32768"), its items read back from the menu it shows (in the process
// that owns it: Wine keeps a menu's items in its own process), and an item chosen
// with the keyboard or with a click of the mouse. Used from a thread other than
// the one running the menu, whose loop runs while the menu is open.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace menutest {

struct OpenMenu {
    HWND window = nullptr;
    HMENU menu = nullptr;
};

// The visible menu window of process pid (0: any process), or none.
inline OpenMenu FindOpenMenu(DWORD pid) {
    struct Find {
        DWORD pid;
        OpenMenu found;
    } find{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) CALLBACK -> BOOL {
            auto* f = reinterpret_cast<Find*>(lp);
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (std::wstring(cls) != L"#32768" || !IsWindowVisible(w) || (f->pid && owner != f->pid))
                return TRUE;
            DWORD_PTR menu = 0;
            SendMessageTimeoutW(w, MN_GETHMENU, 0, 0, SMTO_NORMAL, 2000, &menu);
            f->found = {w, reinterpret_cast<HMENU>(menu)};
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Polls cond (without pumping this thread: the menu's loop runs on another one)
// until it holds or timeoutMs passes; whether it held.
template <typename Cond>
bool PollUntil(Cond cond, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !cond(); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

// Polls until a menu of pid is open.
inline OpenMenu WaitForOpenMenu(DWORD pid, DWORD timeoutMs = 15000) {
    OpenMenu open;
    PollUntil([&] { return (open = FindOpenMenu(pid)).window != nullptr; }, timeoutMs);
    return open;
}

// Polls until no menu of pid is open any more.
inline bool WaitForMenuClosed(DWORD pid, DWORD timeoutMs = 15000) {
    return PollUntil([&] { return FindOpenMenu(pid).window == nullptr; }, timeoutMs);
}

struct MenuEntry {
    std::wstring text;  // "-" for a separator
    UINT id = 0;
    UINT state = 0;     // MFS_GRAYED, MFS_CHECKED, ...
};

// The items as the menu holds them, in order.
inline std::vector<MenuEntry> ReadItems(HMENU menu) {
    std::vector<MenuEntry> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info))
            break;
        items.push_back({(info.fType & MFT_SEPARATOR) ? L"-" : text, info.wID, info.fState});
    }
    return items;
}

inline void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Chooses the position-th item that is not a separator, with Down from the top
// and Enter, as a player does at the keyboard (the menu's thread has the input).
inline void ChooseWithKeys(int position) {
    for (int i = 0; i <= position; ++i) {
        Key(VK_DOWN);
        Sleep(30);
    }
    Key(VK_RETURN);
}

// Moves the mouse to a screen point (and clicks there, unless told not to).
inline void ClickScreen(POINT at, bool right = false, bool click = true) {
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    auto send = [&](DWORD flags) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = at.x * 65535 / w;
        in.mi.dy = at.y * 65535 / h;
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &in, sizeof in);
    };
    send(0);
    Sleep(30);
    if (!click)
        return;
    send(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    Sleep(30);
    send(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

// Clicks item index of the open menu (menus of this process only).
inline bool ChooseWithMouse(const OpenMenu& open, int index) {
    RECT item{};
    if (!GetMenuItemRect(nullptr, open.menu, static_cast<UINT>(index), &item))
        return false;
    ClickScreen({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    return true;
}

}  // namespace menutest
