// The downloads' worker: the framework's worker (framework/worker.h) whose
// jobs keep their Internet handles in their task, so that cancelling closes
// them and a read waiting on the network ends.
#pragma once
#include <windows.h>

#include <functional>

#include "common/message_table.h"
#include "framework/worker.h"
#include "downloads/http.h"

namespace ovn::downloads {

// A dialog that runs a download answers the worker's messages, and the dialog manager's own.
inline constexpr UINT kDownloadDialogMessages[] = {fw::kMsgWorkerProgress, fw::kMsgWorkerDone, DM_GETDEFID,
                                                   DM_SETDEFID, DM_REPOSITION};
static_assert(AllDifferent(kDownloadDialogMessages), "two of a download dialog's messages share a number");

class DownloadTask : public fw::WorkerTask {
public:
    DownloadHandles& Handles() { return m_handles; }

protected:
    void OnCancel() override { m_handles.Cancel(); }

private:
    DownloadHandles m_handles;
};

class DownloadWorker : public fw::Worker {
public:
    // As fw::Worker::Start, for a job that downloads.
    bool Start(HWND notify, std::function<WPARAM(DownloadTask&)> job, UINT doneMessage = fw::kMsgWorkerDone);
};

}  // namespace ovn::downloads
