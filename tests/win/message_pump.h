// The message pumps every Win32 test uses: messages go through the program's
// pre-translation walk, as its own loop sends them, and WM_QUIT is kept aside
// (reported, not obeyed), so a test sees that a window ended its loop.
#pragma once
#include <windows.h>

#include "framework/app.h"

namespace wintest {

// Runs the queued messages, at most `limit` of them (a window that never stops
// asking for paints must not hold the run for good). True when WM_QUIT came.
inline bool RunQueued(int limit = 100000) {
    bool quit = false;
    MSG msg;
    for (int n = 0; n < limit && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (!fw::App::PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return quit;
}

// Runs everything this thread's windows were sent or posted, and what that
// posts in turn, until the queue is empty: after it, whatever this thread was
// asked to do is done, and a check that nothing happened can be made. A WM_QUIT
// seen meanwhile is kept in *quit.
inline void PumpIdle(bool* quit = nullptr) {
    if (RunQueued() && quit)
        *quit = true;
}

// Pumps this thread's messages until cond() holds (true) or timeoutMs passes
// (false). A WM_QUIT seen meanwhile is kept in *quit.
template <typename Cond>
bool PumpUntil(Cond cond, DWORD timeoutMs = 10000, bool* quit = nullptr) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (RunQueued() && quit)
            *quit = true;
        if (cond())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace wintest
