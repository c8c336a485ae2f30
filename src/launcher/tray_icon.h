// The launcher's icon in the notification area: added when the first page
// arrives, kept while the boss key hides everything (a click on it brings the
// launcher back), added again when the taskbar restarts, removed when the
// launcher ends or goes away. When it is added again is tray_rules.h's.
#pragma once
#include <windows.h>

#include "launcher/launcher_messages.h"
#include "launcher/tray_rules.h"

namespace ovn {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Wants the icon with the tip "QuenraOrvane" and adds it unless it is
    // there; a refused add is tried again on the owner's kTimerTrayIcon, which
    // calls this once more. True when the icon is there now.
    bool Add(HWND owner, HICON icon);
    // The registered "TaskbarCreated" message (0 if none could be registered):
    // the taskbar restarted and every icon is gone.
    static UINT TaskbarCreatedMessage();
    // Lets that message through to owner even from a process of lower rights
    // (the shell, when the launcher runs elevated), where the system allows it.
    static void AcceptTaskbarCreated(HWND owner);
    void OnTaskbarCreated();
    void Remove();
    // The system holds the icon: only then do its messages count.
    bool Active() const { return m_turns.Shown(); }

private:
    void Carry(launcher::TrayIconTurns::Step step);

    HWND m_owner = nullptr;
    HICON m_icon = nullptr;
    launcher::TrayIconTurns m_turns;
};

}  // namespace ovn
