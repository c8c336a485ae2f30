#include "downloads/prgs_dlg.h"

#include <commctrl.h>

#include "common/log.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn::downloads {

namespace {

constexpr std::size_t kPackageChunk = 512;

}  // namespace

CPrgsDlg::CPrgsDlg() : CDlgEx(IDD_PRGS_DLG) {}

CPrgsDlg::~CPrgsDlg() { m_worker.Cancel(); }

bool CPrgsDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    m_progress.SubclassDlgItem(IDC_PRGS_BAR, hwnd());
    SetSmallDialogSkin(L"版本更新中...");
    CenterWindow();
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (m_progress.hwnd())
        m_progress.SetImages(skin::LoadSkinImage(IDB_PROGRESS_BK, Scale()), skin::LoadSkinImage(IDB_PROGRESS_BAR, Scale()));

    const std::wstring url = m_strUrl, target = m_strTarget;
    const bool started = m_worker.Start(hwnd(), [url, target](DownloadTask& worker) -> WPARAM {
        const ProgressSink sink = worker.Progress();
        return HttpGetToFile(url, target, kPackageChunk, true, &sink, &worker.Handles()) ? 1 : 0;
    });
    if (!started)
        EndDialog(IDCANCEL);
    return true;
}

void CPrgsDlg::OnCancel() {
    m_worker.Cancel();  // a pending read ends once its handle is closed
    EndDialog(IDCANCEL);
}

LRESULT CPrgsDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgDownloadProgress:
        if (m_progress.hwnd())
            ::SendMessageW(m_progress.hwnd(), PBM_SETPOS, wParam, 0);
        return 0;
    case kMsgDownloadDone:
        if (auto result = m_worker.TakeResult())
            EndDialog(*result == 1 ? IDOK : IDCANCEL);
        return 0;
    default:
        return CDlgEx::WindowProc(msg, wParam, lParam);
    }
}

}  // namespace ovn::downloads
