#include "net/download_worker.h"

#include "common/log.h"

namespace ovn::net {

DownloadWorker::~DownloadWorker() { Cancel(); }

bool DownloadWorker::Start(HWND notify, Job job, UINT doneMessage) {
    Join();
    m_handles.Reset();
    m_bDone.store(false);
    m_notify = notify;
    m_doneMessage = doneMessage;
    m_job = std::move(job);
    m_hThread.reset(::CreateThread(nullptr, 0, &DownloadWorker::Run, this, 0, nullptr));
    if (!m_hThread) {
        LogFailure(L"download: no worker thread", ::GetLastError());
        return false;
    }
    return true;
}

DWORD WINAPI DownloadWorker::Run(void* param) {
    auto* self = static_cast<DownloadWorker*>(param);
    const WPARAM result = self->m_job(*self);
    self->m_result = self->m_handles.Cancelled() ? 0 : result;
    self->m_bDone.store(true);
    ::PostMessageW(self->m_notify, self->m_doneMessage, self->m_result, 0);
    return 0;
}

std::optional<WPARAM> DownloadWorker::TakeResult() {
    if (!m_hThread || !m_bDone.load() || m_handles.Cancelled())
        return std::nullopt;
    Join();  // it is past its job: only its return is left
    return m_result;
}

void DownloadWorker::Cancel() {
    if (!m_hThread)
        return;
    m_handles.Cancel();
    Join();
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

}  // namespace ovn::net
