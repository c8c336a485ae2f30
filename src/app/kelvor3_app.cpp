#include "app/kelvor3_app.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>

#include "app/crash_dump.h"
#include "app/start_mode.h"
#include "common/log.h"
#include "skin/message_box.h"
#include "app/startup.h"
#include "app/startup_seams.h"
#include "common/portal.h"
#include "gamepage/game_page_process.h"
#include "launcher/kelvor3_dlg.h"

namespace ovn {

namespace {

constexpr wchar_t kCaption[] = L"QuenraOrvane";
constexpr wchar_t kVersionQuery[] = L"&ver=3.0.0.1";

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
    StampUpdateTime();
    if (!recreateShortcuts)
        return;
    fw::ComScope com;
    std::wstring exe = ExecutablePath();
    std::wstring portalDescription = portal::MainHost() + L"中国最大的网页游戏平台";
    CreateDesktopShortcut(exe.c_str(), L"/OvnD", L"QuenraOrvane极速登录器", 0, L"QuenraOrvane极速登录器");
    CreateDesktopShortcut(exe.c_str(), L"/webQuenraD", L"Quenra网页游戏", 1, portalDescription.c_str());
    CreateProgramsShortcut(L"QuenraOrvane极速登录器", exe.c_str(), L"/OvnD");
    CreateProgramsShortcut(L"卸载 QuenraOrvane极速登录器", exe.c_str(), L"/uninst");
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

bool CKelvor3App::InitInstance() {
    ::SetUnhandledExceptionFilter(&CrashFilter);

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    m_mode = DetectStartMode();
    SetLogRole(StartModeRole(m_mode));

    m_pingCopiedEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_pingDoneEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

    if (m_mode == ModeRemove) {
        if (skin::ShowMessageBox(4, kCaption, L"确定要移除 QuenraOrvane极速登录器吗？", nullptr) == IDYES) {
            RemoveInstallation();
            WaitForPing();
        }
        return false;
    }

    if (m_mode == ModeUpdate) {
        CheckForUpdate(1);  // only fetches where the new version is
        if (InstallUpdate() == 1) {
            FinishUpdateAtStart(false);
            return false;
        }
    } else if (m_mode == ModeInstall || m_mode == ModeShortcut) {
        if (CheckForUpdate(0) != 0 && InstallUpdate() == 1) {
            FinishUpdateAtStart(true);
            return false;
        }
    }

    Gdiplus::GdiplusStartupInput gdiplusInput;  // version 1, no callback, background thread
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok)
        m_gdiplusToken = 0;

    if (m_mode == ModeInstall) {
        InstallCopy();
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
    if (m_mode == ModeShortcut || m_mode == ModeLauncher)
        PingForMode(L"Game", (std::wstring(L"/active.htm?tag=ovn") + kVersionQuery).c_str());  // not waited for

    SetCacheLimit();

    if (m_mode == ModeGamePage || m_mode == ModeGameHall) {
        if (FAILED(::OleInitialize(nullptr))) {
            skin::ShowMessageBox(0, kCaption, L"初始化OLE库失败", nullptr);
            return false;
        }
        m_oleStarted = true;
        // The login (page mode), the document, frame and view; true runs the loop.
        return RunGamePageProcess(m_mode);
    }

    RunLauncher();  // modes 2, 3 and 5
    return false;
}

int CKelvor3App::ExitInstance() {
    m_pingCopiedEvent.reset();
    m_pingDoneEvent.reset();
    if (m_gdiplusToken) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    if (m_oleStarted) {
        ::OleUninitialize();
        m_oleStarted = false;
    }
    return fw::App::ExitInstance();
}

}  // namespace ovn
