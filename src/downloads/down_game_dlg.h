// The game download dialog: for another game of the portal whose launcher is
// not installed, it looks the installer's address up in the portal's
// configuration for the game's tag, downloads the installer into the temporary
// folder on a worker thread with a progress bar and a percentage label, starts
// it, and says "下载完成" or "下载失败" in its title. Cancel and the close
// button stop the download at once.
#pragma once
#include <string>

#include "downloads/download_worker.h"
#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/gdi.h"
#include "skin/img_progress.h"
#include "skin/static_ex.h"

namespace ovn::downloads {

// What the worker reports at its end.
enum GameDownloadResult : WPARAM {
    kGameDownloadCancelled = 0,
    kGameConfigFailed = 1,     // no configuration: the dialog stays as it is, titled "下载失败"
    kGameInstallerFailed = 2,  // no installer started
    kGameInstallerStarted = 3,
};

class CDownGameDlg : public skin::CDlgEx {
public:
    explicit CDownGameDlg(std::wstring gameTag);
    ~CDownGameDlg() override;

    bool PreTranslateMessage(MSG& msg) override;

    std::wstring m_strGameTag;
    std::wstring m_strConfigUrl;
    std::wstring m_strTarget;  // the installer in the temporary folder
    skin::CStaticEx m_stcPercent;
    skin::CImgProgress m_progress;
    skin::CBtnEx m_btnOK;
    skin::CBtnEx m_btnCancel;
    DownloadWorker m_worker;

protected:
    bool OnInitDialog() override;
    void OnScaleChanged() override {
        if (m_progress.hwnd())
            LoadProgressImages();
    }
    void OnOK() override;      // "确定": only once the worker is done
    void OnCancel() override;  // "取消", and the close button while downloading
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadProgressImages();
    void DoDataExchange();
    void SetUpControls();
    void ShowPercent(int percent);
    void OnDownloadDone(WPARAM result);

};

// The worker's job: the configuration for tag into folder + tag + ".ini"
// (deleted again whatever happened), then the installer it names, from the
// portal's hosts only, into target; started only when it came whole, is a
// program this machine runs, and is still the file that was downloaded;
// otherwise (cancelled too) target is deleted.
GameDownloadResult DownloadAndStartGame(DownloadTask& worker, const std::wstring& tag,
                                        const std::wstring& configUrl, const std::wstring& folder,
                                        const std::wstring& target);

}  // namespace ovn::downloads
