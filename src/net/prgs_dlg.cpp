#include "net/prgs_dlg.h"

#include "common/log.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn::net {

namespace {

constexpr UINT kMsgDownloadDone = WM_APP + 41;
constexpr std::size_t kPackageChunk = 512;

}  // namespace

CPrgsDlg::CPrgsDlg() : CDlgEx(IDD_PRGS_DLG) {}

CPrgsDlg::~CPrgsDlg() { JoinWorker(); }

bool CPrgsDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    m_progress.SubclassDlgItem(IDC_PRGS_BAR, hwnd());
    m_nCaptionHeight = 30;
    m_nBorderWidth = 4;
    m_nButtonRightMargin = 0;
    m_nButtonTop = 0;
    m_nButtonGap = 0;
    SetCaptionText(L"版本更新中...");
    m_bmpClose = skin::LoadSkinImage(IDB_BTN_CLOSE);
    SetSkin(skin::LoadSkinImage(IDB_DLG_FRAME), false, true, nullptr, {}, {}, m_bmpClose.get());
    CenterWindow();
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (m_progress.hwnd())
        m_progress.SetImages(skin::LoadSkinImage(IDB_PROGRESS_BK), skin::LoadSkinImage(IDB_PROGRESS_BAR));

    m_handles.Reset();
    m_hWorker.reset(::CreateThread(nullptr, 0, &CPrgsDlg::Worker, this, 0, nullptr));
    if (!m_hWorker) {
        LogFailure(L"update: no download thread", ::GetLastError());
        ::PostMessageW(hwnd(), kMsgDownloadDone, 0, 0);
    }
    return true;
}

DWORD WINAPI CPrgsDlg::Worker(void* param) {
    auto* self = static_cast<CPrgsDlg*>(param);
    ProgressSink sink{self->m_progress.hwnd(), nullptr};
    bool ok = HttpGetToFile(self->m_strUrl, self->m_strTarget, kPackageChunk, true, &sink, &self->m_handles);
    if (ok && !self->m_handles.Cancelled())
        self->m_handles.m_bSuccess.store(1);
    ::PostMessageW(self->hwnd(), kMsgDownloadDone, 0, 0);
    return 0;
}

void CPrgsDlg::JoinWorker() {
    if (!m_hWorker)
        return;
    HANDLE worker = m_hWorker.get();
    // The worker sends its progress to the bar on this thread: let those
    // messages through while waiting, or the two would wait on each other.
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_hWorker.reset();
}

void CPrgsDlg::OnCancel() {
    m_handles.Cancel();  // a pending read ends once its handle is closed
    JoinWorker();
    EndDialog(IDCANCEL);
}

LRESULT CPrgsDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsgDownloadDone) {
        JoinWorker();
        EndDialog(m_handles.m_bSuccess.load() == 1 ? IDOK : IDCANCEL);
        return 0;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn::net
