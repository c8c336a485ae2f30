#include "app/install.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/counters.h"
#include "app/install_rules.h"
#include "app/rights.h"
#include "app/kelvor3_app.h"
#include "common/log.h"
#include "common/portal.h"
#include "common/text.h"
#include "framework/handles.h"
#include "process/process.h"
#include "skin/message_box.h"

namespace ovn {

namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

std::wstring FileNameOf(const std::wstring& path) {
    std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void EnsureFolder(const std::wstring& folder) {
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        LogFailureF(::GetLastError(), L"install: cannot make %ls", folder.c_str());
}

bool FileExists(const wchar_t* path) {
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramsFolder() {
    std::wstring programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    return programs.empty() ? programs : programs + L"\\" + kProgramsFolder;
}

// The path in the ANSI code page when it converts there and back unchanged.
std::optional<std::string> ExactAnsi(const std::wstring& path) {
    if (path.empty())
        return std::nullopt;
    BOOL lossy = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, ansi.data(), n, nullptr, &lossy);
    ansi.resize(static_cast<std::size_t>(n - 1));
    int back = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.c_str(), -1, nullptr, 0);
    std::wstring round(static_cast<std::size_t>(back > 0 ? back : 1), L'\0');
    if (back <= 0 || ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.c_str(), -1, round.data(), back) <= 0)
        return std::nullopt;
    round.resize(static_cast<std::size_t>(back - 1));
    if (lossy || round != path)
        return std::nullopt;
    return ansi;
}

// A path the batch may name: exactly as it is, else its short form.
std::optional<std::string> BatchPath(const std::wstring& path) {
    if (auto exact = ExactAnsi(path))
        return exact;
    wchar_t shortPath[MAX_PATH] = {};
    DWORD n = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::nullopt;
    return ExactAnsi(shortPath);
}

}  // namespace

std::wstring InstalledPath() {
    std::wstring folder = GameLoginFolder();
    return folder.empty() ? folder : folder + L"\\" + FileNameOf(ExecutablePath());
}

void CreateShortcuts(const std::wstring& target) {
    const std::wstring portalDescription = portal::MainHost() + L"中国最大的网页游戏平台";
    CreateDesktopShortcut(target.c_str(), L"/OvnD", kLinkGame, 0, kLinkGame);
    CreateDesktopShortcut(target.c_str(), L"/webQuenraD", kLinkPortal, 1, portalDescription.c_str());
    CreateProgramsShortcut(kLinkGame, target.c_str(), L"/OvnD");
    CreateProgramsShortcut(kLinkUninstall, target.c_str(), L"/uninst");
}

int InstallCopy(bool startCopy) {
    fw::ComScope com;
    std::wstring appData = SpecialFolder(CSIDL_COMMON_APPDATA);
    if (appData.empty()) {
        LogFailure(L"install: no common application-data folder", 0);
        return 1;
    }
    EnsureFolder(appData + L"\\Quenra");
    EnsureFolder(appData + L"\\Quenra\\GameLogin");
    ProtectInstallFolder(appData + L"\\Quenra\\GameLogin");  // before anything is copied in
    const std::wstring self = ExecutablePath();
    const std::wstring target = InstalledPath();
    if (!EqualsNoCase(target, self) && !::CopyFileW(self.c_str(), target.c_str(), FALSE))
        LogFailureF(::GetLastError(), L"install: cannot copy to %ls", target.c_str());
    CreateShortcuts(target);
    if (startCopy)
        StartSelfProcess(target.c_str());
    return 1;
}

int WriteDisableDays() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    const auto bytes = DisableDaysBytes(now.wMilliseconds);
    return WriteSettingsValue(L"DisableDays", bytes.data(), static_cast<DWORD>(bytes.size())) ? 1 : 0;
}

int CreateDesktopShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* linkName, int iconIndex,
                          const wchar_t* description) {
    if (!target || !*target || !linkName || !*linkName || !FileExists(target))
        return 0;
    std::wstring common = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    if (common.empty())
        return 0;
    // A same-named shortcut on the player's own desktop would show twice.
    std::wstring personal = SpecialFolder(CSIDL_PERSONAL);
    std::size_t personalSlash = personal.rfind(L'\\'), commonSlash = common.rfind(L'\\');
    if (personalSlash != std::wstring::npos && commonSlash != std::wstring::npos) {
        std::wstring own = personal.substr(0, personalSlash) + common.substr(commonSlash) + L"\\" + linkName + L".lnk";
        ::DeleteFileW(own.c_str());
    }
    std::wstring link = common + L"\\" + linkName + L".lnk";
    return CreateShellLink(link.c_str(), target, arguments, iconIndex, description);
}

int CreateProgramsShortcut(const wchar_t* linkName, const wchar_t* target, const wchar_t* arguments) {
    if (!target || !*target || !linkName || !*linkName || !FileExists(target))
        return 0;
    std::wstring folder = ProgramsFolder();
    if (folder.empty())
        return 0;
    EnsureFolder(folder);
    std::wstring link = folder + L"\\" + linkName + L".lnk";
    return CreateShellLink(link.c_str(), target, arguments, 0, L"");
}

int CreateShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* arguments, int iconIndex,
                    const wchar_t* description) {
    if (!linkPath || !*linkPath)
        return 0;
    fw::ComPtr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
    if (FAILED(hr)) {
        LogFailure(L"install: no shell link object", static_cast<unsigned long>(hr));
        return 0;
    }
    link->SetPath(target);
    link->SetIconLocation(target, iconIndex);
    auto file = link.As<IPersistFile>();
    if (!file)
        return 0;
    link->SetArguments(arguments ? arguments : L"");
    if (description && *description)
        link->SetDescription(description);
    hr = file->Save(linkPath, TRUE);
    if (FAILED(hr)) {
        LogFailureF(static_cast<unsigned long>(hr), L"install: cannot save %ls", linkPath);
        return 0;
    }
    return 1;
}

bool DeleteDesktopShortcut(const wchar_t* linkName) {
    if (!linkName || !*linkName)
        return false;
    std::wstring common = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    if (common.empty())
        return false;
    return ::DeleteFileW((common + L"\\" + linkName + L".lnk").c_str()) != FALSE;
}

bool DeleteProgramsShortcut(const wchar_t* linkName) {
    if (!linkName || !*linkName)
        return false;
    std::wstring folder = ProgramsFolder();
    if (folder.empty())
        return false;
    return ::DeleteFileW((folder + L"\\" + linkName + L".lnk").c_str()) != FALSE;
}

// A shortcut that is not there is no refused write.
static bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

void RemoveShortcuts() {
    fw::ComScope com;
    for (const wchar_t* name : {kLinkPortal, kLinkGame})
        if (!DeleteDesktopShortcut(name) && !Missing(::GetLastError()))
            LogFailureF(::GetLastError(), L"remove: desktop shortcut %ls stays", name);
    for (const wchar_t* name : {kLinkGame, kLinkUninstall})
        if (!DeleteProgramsShortcut(name) && !Missing(::GetLastError()))
            LogFailureF(::GetLastError(), L"remove: start-menu shortcut %ls stays", name);
    std::wstring folder = ProgramsFolder();
    if (!folder.empty() && CountFiles(folder) == 0 && !::RemoveDirectoryW(folder.c_str()))
        LogFailureF(::GetLastError(), L"remove: cannot remove %ls", folder.c_str());
}

int AppendToFile(const wchar_t* path, const std::string& text) {
    fw::FileHandle file(::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return -1;
    if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && ::GetLastError() != 0) {
        DWORD error = ::GetLastError();
        file.reset();
        ::SetLastError(error);
        return -1;
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        DWORD error = ::GetLastError();
        file.reset();
        ::SetLastError(error);
        return -1;
    }
    return static_cast<int>(written);
}

int CountFiles(const std::wstring& folder) {
    std::wstring pattern = folder;
    if (pattern.empty() || pattern.back() != L'\\')
        pattern += L'\\';
    const std::wstring base = pattern;
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    int count = 0;
    do {
        std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A linked folder is not ours to count into (and may loop).
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                count += CountFiles(base + found.cFileName);
            else
                ++count;
        } else {
            ++count;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

void StartSelfDelete() {
    char tempFolder[MAX_PATH] = {};
    char tempFile[MAX_PATH] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, tempFolder);
    if (n == 0 || n >= MAX_PATH || !::GetTempFileNameA(tempFolder, "DelSelf", 0, tempFile)) {
        LogFailure(L"remove: no batch file name", ::GetLastError());
        return;
    }
    std::string batch = std::string(tempFile) + ".bat";
    const std::wstring exe = ExecutablePath();
    auto exeAnsi = BatchPath(exe);
    if (!exeAnsi) {
        // A path cmd would read differently could make the batch delete other
        // files: leave the executable for the next reboot instead.
        LogFailureF(0, L"remove: %ls cannot be named in a batch file; deleted at reboot", exe.c_str());
        ::MoveFileExW(exe.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    std::wstring folder = exe.substr(0, exe.rfind(L'\\') == std::wstring::npos ? exe.size() : exe.rfind(L'\\'));
    BatchTemplate which = ChooseBatchTemplate(CountFiles(folder));
    auto text = SelfDeleteBatchText(which, *exeAnsi, batch);
    if (!text) {
        LogFailureF(0, L"remove: no safe batch text for %ls", exe.c_str());
        return;
    }
    std::wstring batchWide(batch.begin(), batch.end());
    int wideLength = ::MultiByteToWideChar(CP_ACP, 0, batch.c_str(), -1, nullptr, 0);
    if (wideLength > 0) {
        batchWide.assign(static_cast<std::size_t>(wideLength), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, batch.c_str(), -1, batchWide.data(), wideLength);
        batchWide.resize(static_cast<std::size_t>(wideLength - 1));
    }
    if (AppendToFile(batchWide.c_str(), *text) < 0) {
        LogFailure(L"remove: cannot write the batch file", ::GetLastError());
        return;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + batch + "\"";
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi)) {
        LogFailure(L"remove: the batch file does not start", ::GetLastError());
        return;
    }
    ::SetThreadPriority(pi.hThread, THREAD_PRIORITY_IDLE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
}

void RemoveInstallation() {
    LSTATUS status = ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        LogFailure(L"remove: the settings key stays", static_cast<unsigned long>(status));
    RemoveShortcuts();
    StartSelfDelete();
    if (CKelvor3App* app = CKelvor3App::Instance()) {
        unsigned count = BumpCounter(L"UnInst");
        std::wstring url = portal::ServiceUrl(L"/uninstall.htm?tag=ovn&ver=3.0.0.1") + L"&count=" + std::to_wstring(count);
        SendPing(url.c_str(), *app);
    }
    skin::ShowMessageBox(0, L"QuenraOrvane", L"QuenraOrvane已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除",
                         nullptr);
}

}  // namespace ovn
