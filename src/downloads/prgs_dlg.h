// The update progress dialog: downloads the new executable on a worker thread
// with the image progress bar showing how far it is, and ends by itself with
// IDOK when the whole package arrived (then held in m_package), IDCANCEL
// otherwise. Closing it cancels
// the download by closing its Internet handles and waiting for the worker.
#pragma once
#include <string>

#include "downloads/download_worker.h"
#include "downloads/downloaded_program.h"
#include "skin/dlg_ex.h"
#include "skin/img_progress.h"

namespace ovn::downloads {

class CPrgsDlg : public skin::CDlgEx {
public:
    CPrgsDlg();
    ~CPrgsDlg() override;

    std::wstring m_strUrl;     // the package URL
    std::wstring m_strTarget;  // where it is written (NewOvn.exe)
    DownloadedProgram m_package;  // what was written there, held, after IDOK
    DownloadWorker m_worker;
    skin::CImgProgress m_progress;

protected:
    bool OnInitDialog() override;
    void OnScaleChanged() override {
        if (m_progress.hwnd())
            LoadProgressImages();
    }
    void OnOK() override {}  // Enter does not end a download
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadProgressImages();
};

}  // namespace ovn::downloads
