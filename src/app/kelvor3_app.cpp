#include "app/kelvor3_app.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>

#include "app/crash_dump.h"
#include "app/start_mode.h"
#include "common/log.h"
#include "skin/message_box.h"
#include "skin/skin_image.h"
#include "app/startup.h"
#include "app/counters.h"
#include "app/elevation.h"
#include "app/install.h"
#include "app/programs_entry.h"
#include "app/rights.h"
#include "app/rights_rules.h"
#include "browser/cache_clearing.h"
#include "browser/web_view.h"
#include "common/portal.h"
#include "common/text.h"
#include "framework/start_marks.h"
#include "process/process.h"
#include "gamepage/game_page_process.h"
#include "launcher/kelvor3_dlg.h"

namespace ovn {

namespace {

constexpr wchar_t kCaption[] = L"QuenraOrvane";
constexpr wchar_t kVersionQuery[] = L"&ver=3.0.0.1";
// The elevated updater's exit code when the new copy is in place.
constexpr int kUpdateInstalledExit = 2;

// The new copy's version and size in the programs list, when the updated
// program is the installed one (a copy run from elsewhere has no entry).
void RefreshProgramsEntry() {
    if (EqualsNoCase(InstalledPath(), ExecutablePath()))
        WriteProgramsEntry(ExecutablePath());
}

}  // namespace

CKelvor3App::CKelvor3App() = default;
CKelvor3App::~CKelvor3App() = default;

CKelvor3App* CKelvor3App::Instance() { return static_cast<CKelvor3App*>(fw::App::Current()); }

void CKelvor3App::PingForMode(const wchar_t* counterKey, const wchar_t* pagePath) {
    unsigned count = BumpCounter(counterKey);
    std::wstring url = portal::ServiceUrl(pagePath) + L"&count=" + std::to_wstring(count);
    if (url.size() >= 512)
        return;  // the ping thread's buffer; our hosts never come close
    SendPing(url.c_str(), *this);
}

void CKelvor3App::WaitForPing() {
    if (m_pingStarted && m_pingDoneEvent)
        ::WaitForSingleObject(m_pingDoneEvent.get(), INFINITE);
}

void CKelvor3App::FinishUpdateAtStart(bool recreateShortcuts) {
    StartSelfProcess();
    downloads::StampUpdateTime();
    RefreshProgramsEntry();
    if (!recreateShortcuts)
        return;
    fw::ComScope com;
    CreateShortcuts(ExecutablePath());
}

bool CKelvor3App::InstallUpdateAtStart(bool recreateShortcuts) {
    const bool elevatedCopy = IsElevatedCopy();
    // The package is made beside the program, which is then renamed aside.
    const bool writable = CanWriteFolder(ExecutableFolder()) && CanReplaceFile(ExecutablePath());
    switch (ChooseUpdateRoute(writable, !elevatedCopy && IsFilteredToken())) {
    case UpdateRoute::InPlace:
        if (m_updater.InstallUpdate() != 1)
            return false;
        if (elevatedCopy) {
            // The player's own process starts the new copy; its path, and with it
            // every shortcut, is unchanged. The folder is given its rights here too:
            // one installed by an earlier release has none of its own, and this
            // elevated copy may give them.
            downloads::StampUpdateTime();
            RefreshProgramsEntry();
            if (EqualsNoCase(InstalledPath(), ExecutablePath()))
                ProtectInstallFolder(GameLoginFolder());
            m_exitCode = kUpdateInstalledExit;
        } else {
            FinishUpdateAtStart(recreateShortcuts);
        }
        return true;
    case UpdateRoute::Elevated: {
        unsigned long code = 0;
        if (!ElevateAndWait(std::wstring(kSwitchUpdate) + L" " + kElevatedSwitch, &code) ||
            code != kUpdateInstalledExit)
            return false;
        StartSelfProcess();
        return true;
    }
    case UpdateRoute::NotAttempted:
        LogFailureF(0, L"update: %ls cannot be written with these rights; the update is not attempted",
                    ExecutableFolder().c_str());
        return false;
    }
    return false;
}

bool CKelvor3App::RanElevated() {
    if (IsElevatedCopy() || !IsFilteredToken())
        return false;
    if (m_mode == ModeInstall) {
        if (!ElevateAndWait(kElevatedSwitch))
            return false;
        // The launcher runs with the player's own rights, not the installer's.
        std::wstring installed = InstalledPath();
        StartSelfProcess(installed.c_str());
        return true;
    }
    return ElevateAndWait(std::wstring(L"/uninst ") + kElevatedSwitch);
}

void CKelvor3App::RunLauncher() {
    if (!IsFlashPlayerRecent() &&
        skin::ShowMessageBox(4, kCaption, L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?", nullptr) ==
            IDYES) {
        std::wstring page = portal::FlashDownloadUrl();
        ::ShellExecuteW(nullptr, L"open", L"iexplore.exe", page.c_str(), nullptr, SW_SHOWMAXIMIZED);
        return;
    }
    CKelvor3Dlg launcher;
    SetMainWindow(&launcher);
    launcher.DoModal();
    SetMainWindow(nullptr);
}

void CKelvor3App::OpenStartMarks() {
    // A page or hall process belongs to the tree of the launcher that started it.
    DWORD root = ::GetCurrentProcessId();
    if (m_mode == ModeGamePage || m_mode == ModeGameHall) {
        root = 0;
        if (LauncherWnd)
            ::GetWindowThreadProcessId(LauncherWnd, &root);
    }
    fw::OpenStartMarks(root);
}

bool CKelvor3App::InitInstance() {
    ::SetUnhandledExceptionFilter(&CrashFilter);

    m_mode = DetectStartMode();
    SetLogRole(StartModeRole(m_mode));
    PrepareCrashDumps(StartModeRole(m_mode));
    OpenStartMarks();
    // Pages are laid out at the scale of the skin drawing their window uses.
    browser::SetPageDpiRule(&skin::LayoutDpi);

    m_pingCopiedEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_pingDoneEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

    if ((m_mode == ModeInstall || m_mode == ModeRemove) && RanElevated())
        return false;

    if (m_mode == ModeRemove) {
        if (skin::ShowMessageBox(4, kCaption, L"确定要移除 QuenraOrvane极速登录器吗？", nullptr) == IDYES) {
            RemoveInstallation();
            WaitForPing();
        }
        return false;
    }

    if (m_mode == ModeUpdate) {
        m_updater.CheckForUpdate(1, m_mode);  // only fetches where the new version is
        if (InstallUpdateAtStart(false))
            return false;
        if (IsElevatedCopy())
            return false;  // the player's own process goes on as the launcher
    } else if (m_mode == ModeInstall || m_mode == ModeShortcut) {
        if (m_updater.CheckForUpdate(0, DetectStartMode()) != 0 && InstallUpdateAtStart(true))
            return false;
    }

    if (m_mode == ModeInstall) {
        InstallCopy(!IsElevatedCopy());
        WriteDisableDays();
        PingForMode(L"Inst", (std::wstring(L"/install.htm?tag=ovn") + kVersionQuery).c_str());
        WaitForPing();
        return false;
    }
    if (m_mode == ModePortal) {
        std::wstring home = portal::HomePageUrl();
        ::ShellExecuteW(nullptr, L"open", home.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
        PingForMode(L"Quenra", (std::wstring(L"/active.htm?tag=webQuenra") + kVersionQuery).c_str());
        WaitForPing();
        return false;
    }
    if (m_mode == ModeShortcut || m_mode == ModeLauncher || m_mode == ModeUpdate)
        downloads::RemoveUpdateLeftovers();
    if (m_mode == ModeShortcut || m_mode == ModeLauncher)
        PingForMode(L"Game", (std::wstring(L"/active.htm?tag=ovn") + kVersionQuery).c_str());  // not waited for

    browser::SetCacheLimit();  // every mode that gets here: 2, 3, 5, 6 and 7

    if (m_mode == ModeGamePage || m_mode == ModeGameHall) {
        // OLE is the browser control's; the plain engine has no use for it, and
        // its start is a good part of a page process's time before the login.
        if (browser::SelectedWebEngine() == browser::WebEngineKind::Control) {
            if (FAILED(::OleInitialize(nullptr))) {
                skin::ShowMessageBox(0, kCaption, L"初始化OLE库失败", nullptr);
                return false;
            }
            m_oleStarted = true;
        }
        fw::RecordStartMark(fw::StartMark::AppReady);
        // The login (page mode), the document, frame and view; true runs the loop.
        return RunGamePageProcess(m_mode);
    }

    fw::RecordStartMark(fw::StartMark::AppReady);
    RunLauncher();  // modes 2, 3 and 5
    return false;
}

int CKelvor3App::ExitInstance() {
    m_pingCopiedEvent.reset();
    m_pingDoneEvent.reset();
    if (m_oleStarted) {
        ::OleUninitialize();
        m_oleStarted = false;
    }
    return fw::App::ExitInstance();
}

}  // namespace ovn
