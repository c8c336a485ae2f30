#include "downloads/download_worker.h"

#include <mutex>
#include <vector>

#include "common/log.h"

namespace ovn::downloads {

namespace {

// Workers let go of by their dialogs. At the process's exit each still running
// is given a little time to end (and delete what it left), then the exit goes
// on without it.
class AbandonedWorkers {
public:
    void Add(fw::Handle thread) {
        std::lock_guard lock(m_lock);
        // Those that have ended meanwhile are let go first.
        std::erase_if(m_threads, [](const fw::Handle& t) { return ::WaitForSingleObject(t.get(), 0) != WAIT_TIMEOUT; });
        m_threads.push_back(std::move(thread));
    }
    ~AbandonedWorkers() {
        constexpr DWORD kExitWaitMs = 2000;
        const DWORD start = ::GetTickCount();
        std::lock_guard lock(m_lock);
        for (const fw::Handle& thread : m_threads) {
            const DWORD spent = ::GetTickCount() - start;
            if (spent >= kExitWaitMs || ::WaitForSingleObject(thread.get(), kExitWaitMs - spent) == WAIT_TIMEOUT)
                break;
        }
    }

private:
    std::mutex m_lock;
    std::vector<fw::Handle> m_threads;
};

AbandonedWorkers& Abandoned() {
    static AbandonedWorkers workers;
    return workers;
}

}  // namespace

DownloadWorker::~DownloadWorker() { Cancel(); }

bool DownloadWorker::Start(HWND notify, Job job, UINT doneMessage) {
    Join();
    m_task = std::make_shared<DownloadTask>();
    m_task->m_notify = notify;
    m_task->m_doneMessage = doneMessage;
    m_task->m_job = std::move(job);
    // The thread holds the task as well: it frees it if the dialog has let go.
    auto* held = new std::shared_ptr<DownloadTask>(m_task);
    m_hThread.reset(::CreateThread(nullptr, 0, &DownloadWorker::Run, held, 0, nullptr));
    if (!m_hThread) {
        delete held;
        m_task.reset();
        LogFailure(L"download: no worker thread", ::GetLastError());
        return false;
    }
    return true;
}

DWORD WINAPI DownloadWorker::Run(void* param) {
    const std::unique_ptr<std::shared_ptr<DownloadTask>> held(static_cast<std::shared_ptr<DownloadTask>*>(param));
    DownloadTask& task = **held;
    const WPARAM result = task.m_job(task);
    task.m_job = nullptr;  // what it captured goes on this thread
    task.m_result = task.Cancelled() ? 0 : result;
    task.m_bDone.store(true);
    task.m_handles.PostUnlessCancelled(task.m_notify, task.m_doneMessage, task.m_result);
    return 0;
}

std::optional<WPARAM> DownloadWorker::TakeResult() {
    if (!m_hThread || !m_task->m_bDone.load() || m_task->Cancelled())
        return std::nullopt;
    Join();  // it is past its job: only its return is left
    return m_task->m_result;
}

void DownloadWorker::Cancel() {
    if (!m_hThread)
        return;
    m_task->m_handles.Cancel();
    Join();
}

void DownloadWorker::Abandon() {
    if (!m_hThread)
        return;
    // Once Cancel has returned the worker posts nothing more to the dialog.
    m_task->m_handles.Cancel();
    Abandoned().Add(std::move(m_hThread));
    m_task.reset();
}

void DownloadWorker::Join() {
    if (!m_hThread)
        return;
    HANDLE thread = m_hThread.get();
    // A job may still send to a window of this thread (a progress bar told
    // directly): let such messages through while waiting, or the two threads
    // would wait on each other.
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_hThread.reset();
}

}  // namespace ovn::downloads
