#include "downloads/down_game_dlg.h"

#include <commctrl.h>

#include <vector>

#include "common/log.h"
#include "common/portal.h"
#include "downloads/game_download_rules.h"
#include "downloads/progress_rules.h"
#include "downloads/downloaded_program.h"
#include "process/process.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn::downloads {

namespace {

constexpr std::size_t kChunk = 1024;
constexpr COLORREF kPercentColor = RGB(72, 81, 86);
// Starts the installer the download wrote through written, once it is held
// (nobody has changed it since it was written, nobody can while it is held),
// is a whole program of a machine the game's players run and, when this copy
// is signed, comes from our publisher.
bool StartDownloaded(fw::FileHandle written, const std::wstring& path, const DownloadTask& task) {
    const DownloadedProgram installer = DownloadedProgram::FromWritten(std::move(written), path);
    if (!installer) {
        LogFailureF(0, L"game download: %ls is not the file downloaded; not started", path.c_str());
        return false;
    }
    const auto machine = installer.Machine();
    if (!machine || !IsInstallerMachine(*machine)) {
        LogFailureF(0, L"game download: %ls is no whole program; not started", path.c_str());
        return false;
    }
    // Another game's installer runs with the player's rights: the same rule as
    // for our own updates.
    if (!installer.FromOurPublisher(L"game download"))
        return false;
    if (task.Cancelled())
        return false;
    return installer.Start();
}

}  // namespace

GameDownloadResult DownloadAndStartGame(DownloadTask& worker, const std::wstring& tag,
                                        const std::wstring& configUrl, const std::wstring& folder,
                                        const std::wstring& target) {
    const std::wstring ini = GameFile(folder, tag, L".ini");
    const bool config = HttpGetToFile(configUrl, ini, kChunk, false, nullptr, &worker.Handles());
    wchar_t address[512] = {};
    if (config)
        ::GetPrivateProfileStringW(L"VerKey", L"UpdAddr", L"", address, 512, ini.c_str());
    // A partial configuration is no more use than a whole one once read.
    ::DeleteFileW(ini.c_str());
    if (!config)
        return kGameConfigFailed;

    fw::FileHandle file;
    const bool started = HttpGetToFile(address, target, kChunk, true, &worker, &worker.Handles(), &file) &&
                         StartDownloaded(std::move(file), target, worker);
    if (started)
        return kGameInstallerStarted;
    // What was written is deleted here, where it was written: a cancelled dialog
    // may be long gone when its worker gets here.
    file.reset();
    ::DeleteFileW(target.c_str());
    return kGameInstallerFailed;
}

CDownGameDlg::CDownGameDlg(std::wstring gameTag) : CDlgEx(IDD_DOWNGAME_DLG), m_strGameTag(std::move(gameTag)) {}

CDownGameDlg::~CDownGameDlg() { m_worker.Abandon(); }

void CDownGameDlg::DoDataExchange() {
    m_stcPercent.SubclassDlgItem(IDC_DOWNGAME_LABEL, hwnd());
    m_progress.SubclassDlgItem(IDC_DOWNGAME_BAR, hwnd());
    m_btnOK.SubclassDlgItem(IDOK, hwnd());
    m_btnCancel.SubclassDlgItem(IDCANCEL, hwnd());
}

void CDownGameDlg::LoadProgressImages() {
    m_progress.SetImages(skin::LoadSkinImage(IDB_PROGRESS_BK, Scale()), skin::LoadSkinImage(IDB_PROGRESS_BAR, Scale()));
}

bool CDownGameDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    DoDataExchange();
    SetSmallDialogSkin(L"游戏下载中...");
    SetUpControls();

    // Without a tag there is nothing to fetch: the dialog stays, idle.
    if (!IsGameTag(m_strGameTag))
        return true;
    const std::wstring folder = PlayerFolder();  // players cannot write the program's
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (folder.empty() || n == 0 || n > MAX_PATH) {
        LogFailure(L"game download: no folder for the files", ::GetLastError());
        return true;
    }
    m_strConfigUrl = portal::ServiceUrl(GameConfigPath(m_strGameTag));
    m_strTarget = GameFile(temp, m_strGameTag, L".exe");
    const std::wstring tag = m_strGameTag, configUrl = m_strConfigUrl, target = m_strTarget;
    // The job keeps to copies of its own: it may end after the dialog.
    if (!m_worker.Start(hwnd(), [=](DownloadTask& worker) -> WPARAM {
            return DownloadAndStartGame(worker, tag, configUrl, folder, target);
        }))
        OnDownloadDone(kGameInstallerFailed);
    return true;
}

void CDownGameDlg::SetUpControls() {
    SetTextButtons({&m_btnOK, &m_btnCancel}, true);
    if (m_btnOK.hwnd())
        ::EnableWindow(m_btnOK.hwnd(), FALSE);
    if (m_stcPercent.hwnd()) {
        m_stcPercent.m_crText = kPercentColor;
        m_stcPercent.m_nFontHeight = 16;
        m_stcPercent.m_strText.clear();
        ::SetWindowTextW(m_stcPercent.hwnd(), L"");
    }
    if (m_progress.hwnd())
        LoadProgressImages();
}

void CDownGameDlg::ShowPercent(int percent) {
    if (m_progress.hwnd())
        ::SendMessageW(m_progress.hwnd(), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    if (m_stcPercent.hwnd()) {
        m_stcPercent.m_strText = ProgressLabel(percent);
        ::SetWindowTextW(m_stcPercent.hwnd(), m_stcPercent.m_strText.c_str());
        ::InvalidateRect(m_stcPercent.hwnd(), nullptr, TRUE);
    }
}

void CDownGameDlg::OnDownloadDone(WPARAM result) {
    if (result == kGameDownloadCancelled)
        return;
    SetCaptionText(GameDownloadTitle(result == kGameInstallerStarted));
    if (result == kGameConfigFailed)
        return;  // the player closes it with "取消"
    if (m_btnOK.hwnd())
        ::EnableWindow(m_btnOK.hwnd(), TRUE);
    if (m_btnCancel.hwnd())
        ::EnableWindow(m_btnCancel.hwnd(), FALSE);
}

void CDownGameDlg::OnOK() {
    if (m_btnOK.hwnd() && ::IsWindowEnabled(m_btnOK.hwnd()))
        EndDialog(IDOK);
}

void CDownGameDlg::OnCancel() {
    // The dialog goes at once: a read that a trickling peer holds is not ended
    // by closing its handles. The worker ends by itself, deletes what it wrote
    // and posts nothing more here.
    m_worker.Abandon();
    EndDialog(IDCANCEL);
}

bool CDownGameDlg::PreTranslateMessage(MSG& msg) {
    // Esc never ends a download; the buttons and the close button do.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && hwnd() &&
        (msg.hwnd == hwnd() || ::IsChild(hwnd(), msg.hwnd)))
        return true;
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CDownGameDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case fw::kMsgWorkerProgress:
        ShowPercent(static_cast<int>(wParam > 100 ? 100 : wParam));
        return 0;
    case fw::kMsgWorkerDone:
        if (auto result = m_worker.TakeResult())
            OnDownloadDone(*result);
        return 0;
    case WM_CLOSE:
        if (m_btnOK.hwnd() && ::IsWindowEnabled(m_btnOK.hwnd()))
            EndDialog(IDCANCEL);
        else
            OnCancel();
        return 0;
    default:
        return CDlgEx::WindowProc(msg, wParam, lParam);
    }
}

}  // namespace ovn::downloads
