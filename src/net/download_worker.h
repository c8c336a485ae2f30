// A download that a dialog runs on a worker thread of its own. The worker
// never touches the dialog's windows: it posts its progress and its end to the
// dialog, which draws them on its own thread. Cancel closes the Internet handles
// (a pending read then ends at once) and waits for the worker to finish.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>

#include "framework/handles.h"
#include "net/http.h"

namespace ovn::net {

// Posted to the dialog: wParam the percent (0..100).
constexpr UINT kMsgDownloadProgress = WM_APP + 42;
// Posted to the dialog when the job has ended: wParam what the job returned.
constexpr UINT kMsgDownloadDone = WM_APP + 41;

class DownloadWorker {
public:
    using Job = std::function<WPARAM(DownloadWorker&)>;

    DownloadWorker() = default;
    ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Runs job on a new thread; its result reaches notify as doneMessage (a
    // window that already uses kMsgDownloadDone for something else names its
    // own). False (and nothing posted) when no thread could be started.
    bool Start(HWND notify, Job job, UINT doneMessage = kMsgDownloadDone);
    // Closes the handles of the running download and waits for the worker.
    void Cancel();
    // Waits for the worker (a no-op when none runs).
    void Join();
    bool Running() const { return static_cast<bool>(m_hThread); }
    // For the done message: the job's result once it has ended (then the worker
    // is joined and forgotten); nothing for a message the worker did not send
    // (anybody can post one) or after a Cancel.
    std::optional<WPARAM> TakeResult();

    // For the job: where its handles and its progress go.
    DownloadHandles& Handles() { return m_handles; }
    ProgressSink Progress() const { return ProgressSink{m_notify, kMsgDownloadProgress}; }

private:
    static DWORD WINAPI Run(void* self);

    DownloadHandles m_handles;
    fw::Handle m_hThread;
    HWND m_notify = nullptr;
    UINT m_doneMessage = kMsgDownloadDone;
    Job m_job;
    std::atomic<bool> m_bDone{false};
    WPARAM m_result = 0;  // written by the worker before m_bDone
};

}  // namespace ovn::net
