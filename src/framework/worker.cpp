#include "framework/worker.h"

#include <vector>

namespace fw {

namespace {

// Workers let go of by their windows. At the process's exit each still running
// is given a little time to end (and delete what it left), then the exit goes
// on without it.
class AbandonedWorkers {
public:
    void Add(Handle thread) {
        std::lock_guard lock(m_lock);
        // Those that have ended meanwhile are let go first.
        std::erase_if(m_threads, [](const Handle& t) { return ::WaitForSingleObject(t.get(), 0) != WAIT_TIMEOUT; });
        m_threads.push_back(std::move(thread));
    }
    ~AbandonedWorkers() {
        constexpr DWORD kExitWaitMs = 2000;
        const DWORD start = ::GetTickCount();
        std::lock_guard lock(m_lock);
        for (const Handle& thread : m_threads) {
            const DWORD spent = ::GetTickCount() - start;
            if (spent >= kExitWaitMs || ::WaitForSingleObject(thread.get(), kExitWaitMs - spent) == WAIT_TIMEOUT)
                break;
        }
    }

private:
    std::mutex m_lock;
    std::vector<Handle> m_threads;
};

AbandonedWorkers& Abandoned() {
    static AbandonedWorkers workers;
    return workers;
}

}  // namespace

bool WorkerTask::Post(UINT msg, WPARAM wParam) {
    std::lock_guard lock(m_lock);
    // A window that has gone is sent nothing, nor one that took its handle since.
    if (m_cancelled.load() || !::IsWindow(m_notify) ||
        ::GetWindowThreadProcessId(m_notify, nullptr) != m_notifyThread)
        return false;
    return ::PostMessageW(m_notify, msg, wParam, 0) != FALSE;
}

void WorkerTask::Cancel() {
    m_cancelled.store(true);
    { std::lock_guard lock(m_lock); }  // a post under way has ended
    OnCancel();
}

Worker::~Worker() { Cancel(); }

bool Worker::Launch(HWND notify, std::shared_ptr<WorkerTask> task, Job job, UINT doneMessage) {
    Join();
    m_task = std::move(task);
    m_task->m_notify = notify;
    m_task->m_notifyThread = ::GetWindowThreadProcessId(notify, nullptr);
    m_task->m_doneMessage = doneMessage;
    m_task->m_job = std::move(job);
    // The thread holds the task as well: it frees it if the window has let go.
    auto* held = new std::shared_ptr<WorkerTask>(m_task);
    m_hThread.reset(::CreateThread(nullptr, 0, &Worker::Run, held, 0, nullptr));
    if (!m_hThread) {
        delete held;
        m_task.reset();
        return false;
    }
    return true;
}

DWORD WINAPI Worker::Run(void* param) {
    const std::unique_ptr<std::shared_ptr<WorkerTask>> held(static_cast<std::shared_ptr<WorkerTask>*>(param));
    WorkerTask& task = **held;
    const WPARAM result = task.m_job(task);
    task.m_job = nullptr;  // what it captured goes on this thread
    task.m_result = task.Cancelled() ? 0 : result;
    task.m_bDone.store(true);
    task.Post(task.m_doneMessage, task.m_result);
    return 0;
}

std::optional<WPARAM> Worker::TakeResult() {
    if (!m_hThread || !m_task->m_bDone.load() || m_task->Cancelled())
        return std::nullopt;
    Join();  // it is past its job: only its return is left
    return m_task->m_result;
}

void Worker::Cancel() {
    if (!m_hThread)
        return;
    m_task->Cancel();
    Join();
}

void Worker::Abandon() {
    if (!m_hThread)
        return;
    m_task->Cancel();
    Abandoned().Add(std::move(m_hThread));
    m_task.reset();
}

void Worker::Join() {
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

}  // namespace fw
