#include "downloads/download_worker.h"

#include <memory>

#include "common/log.h"

namespace ovn::downloads {

bool DownloadWorker::Start(HWND notify, std::function<WPARAM(DownloadTask&)> job, UINT doneMessage) {
    const bool started = Launch(
        notify, std::make_shared<DownloadTask>(),
        [job = std::move(job)](fw::WorkerTask& task) { return job(static_cast<DownloadTask&>(task)); },
        doneMessage);
    if (!started)
        LogFailure(L"download: no worker thread", ::GetLastError());
    return started;
}

}  // namespace ovn::downloads
