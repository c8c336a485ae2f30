// The menus' "更新": the update check runs on a worker and posts its result
// back. This thread runs the system-wide keyboard hook, and the system drops
// a hook that does not answer in time: the boss and sound keys would be gone
// until the next start while the portal is slow or the program file is hashed.
#include "common/log.h"
#include "launcher/kelvor3_dlg.h"

namespace ovn {

void CKelvor3Dlg::StartUpdateCheck() {
    // One check at a time: the running one answers for this request too.
    if (!m_updateTurns.Request()) {
        LogFailure(L"update check asked for while one runs: no second one", 0);
        return;
    }
    const bool started = m_updateWorker.Start(
        hwnd(),
        [this](net::DownloadTask& task) -> WPARAM {
            return net::CheckForUpdateFromMenu(m_updater, &task.Handles()) != 0 ? 1 : 0;
        },
        kMsgUpdateChecked);
    if (!started)
        m_updateTurns.Abandon();
}

bool CKelvor3Dlg::HandleUpdateMessage(UINT msg) {
    switch (msg) {
    case kMsgUpdateChecked: {
        // Only the worker's own word counts: it has ended, with its result.
        const auto found = m_updateWorker.TakeResult();
        if (!found)
            return true;
        if (*found != 0) {
            m_updateTurns.Abandon();
            if (net::AnswerUpdateFromMenu(1, hwnd()))
                ExitLauncher();  // "/update" runs: it replaces this copy and starts the new one
            return true;
        }
        // Nothing new: said now, or once the boss key brings the launcher back.
        if (m_updateTurns.Finished(::IsWindowVisible(hwnd()) != FALSE))
            net::AnswerUpdateFromMenu(0, hwnd());
        return true;
    }
    case kMsgUpdateAnswerWaiting:
        if (::IsWindowVisible(hwnd()) && m_updateTurns.Shown())
            net::AnswerUpdateFromMenu(0, hwnd());
        return true;
    }
    return false;
}

}  // namespace ovn
