// The launcher's icon in the notification area: added when the first page
// arrives, kept while the boss key hides everything (a click on it brings the
// launcher back), removed when the launcher ends or goes away.
#pragma once
#include <windows.h>

namespace ovn {

// The icon's mouse messages reach the launcher as this message (wParam the icon
// id, lParam the mouse message).
constexpr UINT kMsgTrayCallback = WM_USER + 1;
// Posted by the tray callback so the tray menu opens outside of it.
constexpr UINT kMsgShowTrayMenu = WM_USER + 3;

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon with the tip "QuenraOrvane". From now on the launcher has its
    // tray, and the icon's messages count; a system that refuses the icon leaves
    // it without one to click. Adding twice adds once.
    bool Add(HWND owner, HICON icon);
    void Remove();
    bool Active() const { return m_owner != nullptr; }

private:
    HWND m_owner = nullptr;
};

}  // namespace ovn
