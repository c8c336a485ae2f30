// A download that a dialog runs on a worker thread of its own. The worker
// never touches the dialog's windows: it posts its progress and its end to the
// dialog, which draws them on its own thread. Cancel closes the Internet handles
// and waits for the worker to finish; Abandon closes them and lets the worker
// end on its own (a read already waiting is not always ended by the closing: a
// peer that trickles holds it until its buffer is full).
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "common/message_table.h"
#include "framework/handles.h"
#include "downloads/http.h"

namespace ovn::downloads {

// Posted to the dialog: wParam the percent (0..100).
constexpr UINT kMsgDownloadProgress = WM_APP + 42;
// Posted to the dialog when the job has ended: wParam what the job returned.
constexpr UINT kMsgDownloadDone = WM_APP + 41;
// A dialog that runs a worker answers these, and the dialog manager's own.
inline constexpr UINT kDownloadDialogMessages[] = {kMsgDownloadProgress, kMsgDownloadDone, DM_GETDEFID, DM_SETDEFID,
                                                   DM_REPOSITION};
static_assert(AllDifferent(kDownloadDialogMessages), "two of a download dialog's messages share a number");

// What a job works with: its Internet handles and where its progress goes. It
// is held by the worker and by its thread, whichever lets go last frees it, so
// a job that keeps to it (and to what it captured by value) may outlive the
// dialog that started it.
class DownloadTask {
public:
    DownloadHandles& Handles() { return m_handles; }
    // Progress goes to the dialog until it is cancelled, never after.
    ProgressSink Progress() { return ProgressSink{m_notify, kMsgDownloadProgress, &m_handles}; }
    bool Cancelled() const { return m_handles.Cancelled(); }

private:
    friend class DownloadWorker;
    DownloadHandles m_handles;
    HWND m_notify = nullptr;
    UINT m_doneMessage = kMsgDownloadDone;
    std::function<WPARAM(DownloadTask&)> m_job;
    std::atomic<bool> m_bDone{false};
    WPARAM m_result = 0;  // written by the worker before m_bDone
};

class DownloadWorker {
public:
    using Job = std::function<WPARAM(DownloadTask&)>;

    DownloadWorker() = default;
    ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Runs job on a new thread; its result reaches notify as doneMessage (a
    // window that already uses kMsgDownloadDone for something else names its
    // own). False (and nothing posted) when no thread could be started.
    bool Start(HWND notify, Job job, UINT doneMessage = kMsgDownloadDone);
    // Closes the handles of the running download and waits for the worker (for
    // a job that fills what its dialog owns).
    void Cancel();
    // Closes the handles of the running download and returns at once: the worker
    // ends by itself, posts nothing more, and the process's exit waits for it a
    // little at most. For a job that keeps to its task and its own copies.
    void Abandon();
    // Waits for the worker (a no-op when none runs).
    void Join();
    bool Running() const { return static_cast<bool>(m_hThread); }
    // For the done message: the job's result once it has ended (then the worker
    // is joined and forgotten); nothing for a message the worker did not send
    // (anybody can post one) or after a Cancel.
    std::optional<WPARAM> TakeResult();

private:
    static DWORD WINAPI Run(void* task);

    std::shared_ptr<DownloadTask> m_task;
    fw::Handle m_hThread;
};

}  // namespace ovn::downloads
