#include "downloads/down_game_dlg.h"

#include <commctrl.h>

#include <vector>

#include "common/log.h"
#include "common/portal.h"
#include "downloads/game_download_rules.h"
#include "downloads/progress_rules.h"
#include "downloads/md5_file.h"
#include "downloads/program_file.h"
#include "process/process.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"
#include "trust/signature.h"

namespace ovn::downloads {

namespace {

constexpr std::size_t kChunk = 1024;
constexpr COLORREF kPercentColor = RGB(72, 81, 86);
// Starts the installer held open in written (for reading and writing, shared
// for reading only, so nobody has changed it since it was written). It cannot
// be started through that handle: it is exchanged for one that only reads and
// still shares nothing but reading, and the file behind the new handle must
// hold the same bytes, or something swapped it in between.
bool StartDownloaded(fw::FileHandle written, const std::wstring& path, const DownloadHandles& handles) {
    const auto machine = MachineOfProgram(written.get());
    if (!machine || !IsInstallerMachine(*machine)) {
        LogFailureF(0, L"game download: %ls is no whole program; not started", path.c_str());
        return false;
    }
    const auto digest = Md5OfHandle(written.get());
    written.reset();
    fw::FileHandle held(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held) {
        LogFailureF(::GetLastError(), L"game download: %ls cannot be held; not started", path.c_str());
        return false;
    }
    if (!digest || Md5OfHandle(held.get()) != digest) {
        LogFailureF(0, L"game download: %ls changed after its download; not started", path.c_str());
        return false;
    }
    // Another game's installer runs with the player's rights: from our publisher
    // only, when this copy is signed (the same rule as for our own updates).
    if (!trust::PublisherAllows(held.get(), path, L"game download"))
        return false;
    if (handles.Cancelled())
        return false;
    return StartProgramWithArguments(path, {});  // the file stays held until it has started
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

    const ProgressSink sink = worker.Progress();
    fw::FileHandle file;
    const bool started = HttpGetToFile(address, target, kChunk, true, &sink, &worker.Handles(), &file) &&
                         StartDownloaded(std::move(file), target, worker.Handles());
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
        m_progress.SetImages(skin::LoadSkinImage(IDB_PROGRESS_BK, Scale()), skin::LoadSkinImage(IDB_PROGRESS_BAR, Scale()));
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
    case kMsgDownloadProgress:
        ShowPercent(static_cast<int>(wParam > 100 ? 100 : wParam));
        return 0;
    case kMsgDownloadDone:
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
