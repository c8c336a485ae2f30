#include "downloads/update.h"

#include <windows.h>

#include <vector>

#include "common/log.h"
#include "common/portal.h"
#include "framework/handles.h"
#include "downloads/http.h"
#include "downloads/md5_file.h"
#include "downloads/downloaded_program.h"
#include "downloads/update_rules.h"
#include "process/process.h"
#include "skin/message_box.h"

namespace ovn::downloads {

bool IsUpdateDue() {
    // Reading needs no write rights: a missing key (not installed, or installed
    // without them) skips no day and names no update.
    HKEY raw = nullptr;
    LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &raw);
    UtcDay last{};
    std::uint32_t disableDays = 0;
    if (status == ERROR_SUCCESS) {
        fw::RegKey key(raw);
        WORD stamp[8] = {};
        DWORD size = sizeof stamp;
        if (::RegQueryValueExW(key.get(), L"UpdTime", nullptr, nullptr, reinterpret_cast<BYTE*>(stamp), &size) ==
                ERROR_SUCCESS &&
            size == sizeof stamp)
            last = UtcDay{stamp[0], stamp[1], stamp[2], stamp[3]};
        BYTE days[4] = {};
        size = sizeof days;
        if (::RegQueryValueExW(key.get(), L"DisableDays", nullptr, nullptr, days, &size) == ERROR_SUCCESS &&
            size == sizeof days)
            disableDays = days[0] | (days[1] << 8) | (days[2] << 16) | (static_cast<std::uint32_t>(days[3]) << 24);
    } else if (status != ERROR_FILE_NOT_FOUND) {
        LogFailure(L"update: the settings key cannot be read", static_cast<unsigned long>(status));
        return false;
    }
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return downloads::IsUpdateDue(UtcDay{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay}, last, disableDays);
}

int StampUpdateTime() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return WriteSettingsValue(L"UpdTime", &now, sizeof now) ? 1 : 0;
}

void RemoveUpdateLeftovers() {
    const std::wstring folder = ExecutableFolder();
    if (folder.empty())
        return;
    // Either may still be in use (the old copy ending); then it goes next time.
    ::DeleteFileW((folder + L"OldOvn.exe").c_str());
    ::DeleteFileW((folder + L"NewOvn.exe").c_str());
}

int Updater::FetchUpdateConfig(std::wstring& key, DownloadHandles* handles) {
    key.clear();
    // Read in the player's folder: players cannot write the program's.
    const std::wstring folder = PlayerFolder();
    if (folder.empty())
        return 0;
    const std::wstring file = folder + L"ConfigOvn.htm";
    if (!HttpGetToFile(portal::ServiceUrl(L"/update/ConfigOvn.htm"), file, 512, false, nullptr, handles)) {
        ::DeleteFileW(file.c_str());
        return 0;
    }
    wchar_t published[64] = {};
    wchar_t address[512] = {};
    ::GetPrivateProfileStringW(L"VerKey", L"Ovn", L"", published, 64, file.c_str());
    ::GetPrivateProfileStringW(L"VerKey", L"UpdAddr", L"", address, 512, file.c_str());
    ::DeleteFileW(file.c_str());
    m_strUpdateUrl = address;
    key = published;
    m_strPublishedKey = key;
    return 1;
}

int Updater::CheckForUpdate(int force, StartMode mode, DownloadHandles* handles) {
    if (!force) {
        if (mode == ModeInstall || mode == ModePortal || mode == ModeRemove || mode == ModeGamePage)
            return 0;
        if (!IsUpdateDue())
            return 0;
    }
    std::wstring published;
    if (!FetchUpdateConfig(published, handles) || published.empty())
        return 0;
    auto local = LocalVersionKey();
    if (!local) {
        // Without our own key every start would download again: no update.
        LogFailure(L"update: this copy's key is unknown; no update", 0);
        return 0;
    }
    return VersionKeysDiffer(published, *local) ? 1 : 0;
}

int Updater::InstallUpdate() {
    const std::wstring folder = ExecutableFolder();
    if (folder.empty() || m_strUpdateUrl.empty())
        return 0;
    const std::wstring target = folder + L"NewOvn.exe";
    m_dlgProgress.m_strUrl = m_strUpdateUrl;
    m_dlgProgress.m_strTarget = target;
    if (m_dlgProgress.DoModal() != IDOK) {
        m_dlgProgress.m_package = {};
        DiscardDownload(target);
        return 0;
    }
    // Held from its download until it has taken the program's place.
    DownloadedProgram package = std::move(m_dlgProgress.m_package);
    const auto digest = package.Md5();
    if (!digest || !PackageMatchesKey(*digest, m_strPublishedKey)) {
        LogFailureF(0, L"update: the package from %ls is not the published release", m_strUpdateUrl.c_str());
        package.Discard();
        return 0;
    }
    const std::wstring self = ExecutablePath();
    // A digest only says which bytes came: they must also be a program that runs
    // here, or the swap would leave a copy that never starts again.
    const auto machine = package.Machine();
    const auto ownMachine = DownloadedProgram::Hold(self).Machine();
    if (!machine || !ownMachine || *machine != *ownMachine) {
        LogFailureF(0, L"update: the package from %ls is no program for this machine", m_strUpdateUrl.c_str());
        package.Discard();
        return 0;
    }
    // The digest says the package is the one published; its signature says who
    // made it. Both come from the portal, but only our publisher can sign.
    const std::wstring old = folder + L"OldOvn.exe";
    if (!package.FromOurPublisher(L"update") || !package.TakePlaceOf(self, old)) {
        package.Discard();
        return 0;
    }
    // The old copy is deleted at the next start (or reboot, where allowed).
    ::MoveFileExW(old.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 1;
}

int CheckForUpdateFromMenu(Updater& updater, DownloadHandles* handles) {
    return updater.CheckForUpdate(1, ModeLauncher, handles);
}

bool AnswerUpdateFromMenu(int found, HWND owner) {
    if (found == 0) {
        skin::ShowMessageBox(0, L"QuenraOrvane", L"已经是最新版本，无需进行更新。", owner);
        return false;
    }
    if (StartSelfWithArguments({std::wstring(kSwitchUpdate)}))
        return true;
    // A newer version is published but its updater did not start: "up to date"
    // would be untrue, and the player would never learn there is one.
    skin::ShowMessageBox(0, L"QuenraOrvane", L"发现新版本，但更新程序未能启动，请稍后再试。", owner);
    return false;
}

}  // namespace ovn::downloads
