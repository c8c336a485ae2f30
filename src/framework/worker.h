// Work off a window's thread: one job on a thread of its own, whose end (and,
// if it likes, its progress) comes back to the window that asked as a posted
// message; the window's thread draws it, the worker never touches a window. A
// window that runs jobs answers kMsgWorkerDone by taking the result from its
// worker (TakeResult): the message itself carries nothing anybody could forge
// or leak, and a result for a window that has gone is simply never taken.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "framework/handles.h"

namespace fw {

// Posted to the window that asked when a job has ended.
constexpr UINT kMsgWorkerDone = WM_APP + 41;
// Posted by a job that tells how far it is: wParam the percent (0..100).
constexpr UINT kMsgWorkerProgress = WM_APP + 42;

// What a job works with. It is held by the worker and by its thread, whichever
// lets go last frees it, so a job that keeps to it (and to what it captured by
// value) may outlive the window that started it.
class WorkerTask {
public:
    WorkerTask() = default;
    virtual ~WorkerTask() = default;
    WorkerTask(const WorkerTask&) = delete;
    WorkerTask& operator=(const WorkerTask&) = delete;

    bool Cancelled() const { return m_cancelled.load(); }
    // For work that looks between its steps whether it is to stop.
    const std::atomic<bool>* CancelFlag() const { return &m_cancelled; }
    // Posts msg to the window that asked, unless the job is cancelled or that
    // window is gone; once Cancel has returned, nothing more is posted.
    bool Post(UINT msg, WPARAM wParam);
    bool PostProgress(int percent) { return Post(kMsgWorkerProgress, static_cast<WPARAM>(percent)); }

protected:
    // Run by Cancel on the window's thread once the task is marked cancelled:
    // ends a wait the job is in (a download closes its Internet handles here).
    virtual void OnCancel() {}

private:
    friend class Worker;
    void Cancel();

    std::mutex m_lock;  // a post under way ends before Cancel returns
    std::atomic<bool> m_cancelled{false};
    HWND m_notify = nullptr;
    DWORD m_notifyThread = 0;  // the window's thread: a window of that handle elsewhere is another window
    UINT m_doneMessage = kMsgWorkerDone;
    std::function<WPARAM(WorkerTask&)> m_job;
    std::atomic<bool> m_bDone{false};
    WPARAM m_result = 0;  // written by the worker before m_bDone
};

// Runs one job at a time. Cancel marks the task and waits for the worker;
// Abandon marks it and returns at once (a wait the job is in is not always
// ended by OnCancel: a peer that trickles holds a read until its buffer is
// full). Going away cancels.
class Worker {
public:
    using Job = std::function<WPARAM(WorkerTask&)>;

    Worker() = default;
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs job on a new thread; its end reaches notify as doneMessage. False
    // (and nothing posted) when no thread could be started.
    bool Start(HWND notify, Job job, UINT doneMessage = kMsgWorkerDone) {
        return Launch(notify, std::make_shared<WorkerTask>(), std::move(job), doneMessage);
    }
    // Cancels the job and waits for the worker (for a job that fills what the
    // window owns).
    void Cancel();
    // Cancels the job and returns at once: the worker ends by itself, posts
    // nothing more, and the process's exit waits for it a little at most. For a
    // job that keeps to its task and its own copies.
    void Abandon();
    // Waits for the worker (a no-op when none runs).
    void Join();
    bool Running() const { return static_cast<bool>(m_hThread); }
    // For the done message: the job's result once it has ended (then the worker
    // is joined and forgotten); nothing for a message the worker did not send
    // (anybody can post one) or after a Cancel.
    std::optional<WPARAM> TakeResult();

protected:
    // Starts job on task, a WorkerTask of the kind a derived worker's jobs need.
    bool Launch(HWND notify, std::shared_ptr<WorkerTask> task, Job job, UINT doneMessage);

private:
    static DWORD WINAPI Run(void* task);

    std::shared_ptr<WorkerTask> m_task;
    Handle m_hThread;
};

}  // namespace fw
