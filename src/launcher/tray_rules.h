// When the launcher's tray icon is added, added again and deleted. The system
// forgets every icon when its taskbar restarts (Explorer ended or crashed) and
// says so with the registered "TaskbarCreated" message; an add can also fail
// (the shell busy at logon). Shown is only what the system took, so the icon's
// clicks count only then. Platform-free.
#pragma once

namespace ovn::launcher {

// A failed add is tried again this often, at most this many times in a row;
// the next "TaskbarCreated" starts the tries afresh.
inline constexpr unsigned kTrayRetryMs = 3000;
inline constexpr int kTrayAddTries = 5;

class TrayIconTurns {
public:
    enum class Step { None, Add, Delete };

    // The launcher wants its icon (the first page arrived), or its retry came due.
    Step Want();
    // What the system said to an add. False when no retry is to come.
    bool Added(bool ok);
    // The taskbar was created afresh: whatever was shown is gone.
    Step TaskbarCreated();
    // The launcher ends: the icon goes.
    Step Unwant();

    bool Wanted() const { return m_wanted; }
    bool Shown() const { return m_shown; }

private:
    bool m_wanted = false;
    bool m_shown = false;
    int m_failures = 0;  // adds refused in a row
};

}  // namespace ovn::launcher
