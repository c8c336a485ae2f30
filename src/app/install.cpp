#include "app/install.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <vector>

#include "app/counters.h"
#include "app/install_rules.h"
#include "app/programs_entry.h"
#include "app/rights.h"
#include "app/kelvor3_app.h"
#include "common/code_page.h"
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

// The folder of a path, without the backslash (the whole path when it has none).
std::wstring FolderOf(const std::wstring& path) {
    std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

// Writes the batch into a file of its own that did not exist before (never an
// existing file taken over or appended to), named as GetTempFileName names a new
// temporary file, with ".bat"; the placeholder files that reserve the names are
// deleted again. textFor makes the text for a batch path (nothing: no batch can
// be written). The batch's path, or empty (logged).
std::wstring WriteBatchFile(const std::function<std::optional<std::string>(const std::wstring&)>& textFor) {
    wchar_t folder[MAX_PATH] = {};
    DWORD n = ::GetTempPathW(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH) {
        LogFailure(L"remove: no temporary folder", ::GetLastError());
        return {};
    }
    std::vector<std::wstring> placeholders;
    std::wstring written;
    for (int attempt = 0; attempt < 8 && written.empty(); ++attempt) {
        wchar_t placeholder[MAX_PATH] = {};
        if (!::GetTempFileNameW(folder, L"DelSelf", 0, placeholder)) {
            LogFailure(L"remove: no batch file name", ::GetLastError());
            break;
        }
        placeholders.emplace_back(placeholder);
        const std::wstring path = placeholders.back() + L".bat";
        const auto text = textFor(path);
        if (!text) {
            LogFailureF(0, L"remove: no safe batch text for %ls", path.c_str());
            break;
        }
        if (WriteNewFile(path.c_str(), *text)) {
            written = path;
        } else if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            LogFailureF(::GetLastError(), L"remove: cannot write %ls", path.c_str());
            break;
        }
        // A batch of that name may be a former removal's, still running: its
        // placeholder stays until the loop is over, so the next name differs.
    }
    for (const std::wstring& placeholder : placeholders)
        ::DeleteFileW(placeholder.c_str());
    return written;
}

// Leaves the executable for the system to delete at the next restart.
SelfDeletion DeleteAtRestart(const std::wstring& exe, const wchar_t* why) {
    LogFailureF(0, L"remove: %ls; %ls is left for deletion at the next restart", why, exe.c_str());
    if (::MoveFileExW(exe.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return SelfDeletion::AtRestart;
    LogFailureF(::GetLastError(), L"remove: %ls cannot be left for deletion at restart either", exe.c_str());
    return SelfDeletion::Nothing;
}

}  // namespace

std::optional<std::string> BatchPath(const std::wstring& path, unsigned codePage) {
    if (path.empty())
        return std::nullopt;
    if (auto exact = ExactInCodePage(path, codePage))
        return exact;
    auto shortForm = [](const std::wstring& of) -> std::wstring {
        wchar_t shortPath[MAX_PATH] = {};
        DWORD n = ::GetShortPathNameW(of.c_str(), shortPath, MAX_PATH);
        return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(shortPath, n);
    };
    std::wstring named = shortForm(path);
    // A file still to be written has no short form yet: its folder's, and its
    // own name as it is.
    const std::size_t slash = path.rfind(L'\\');
    if (named.empty() && slash != std::wstring::npos && slash > 0) {
        const std::wstring folder = shortForm(path.substr(0, slash));
        if (!folder.empty())
            named = folder + path.substr(slash);
    }
    return named.empty() ? std::nullopt : ExactInCodePage(named, codePage);
}

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
    WriteProgramsEntry(target);
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

bool WriteNewFile(const wchar_t* path, const std::string& text) {
    fw::FileHandle file(
        ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        DWORD error = ::GetLastError();
        file.reset();
        ::DeleteFileW(path);
        ::SetLastError(error);
        return false;
    }
    return true;
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
        return -1;
    int count = 0;
    do {
        std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A linked folder is not ours to count into (and may loop); one we
            // cannot look into holds something as far as we know.
            const int inside =
                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? 1 : CountFiles(base + found.cFileName);
            count += inside < 0 ? 1 : inside;
        } else {
            ++count;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

SelfDeletion StartSelfDelete() {
    const std::wstring exe = ExecutablePath();
    if (exe.empty())
        return SelfDeletion::Nothing;
    // The command processor reads a batch file in the OEM code page: a path
    // written in any other could name another file there (in code page 1252,
    // "é" is the byte cmd reads as "Θ" in code page 437).
    const UINT codePage = ::GetOEMCP();
    const auto exeInBatch = BatchPath(exe, codePage);
    if (!exeInBatch)
        return DeleteAtRestart(exe, L"the program's path cannot be named in a batch file");
    const std::wstring folder = FolderOf(exe);
    const std::wstring installFolder = GameLoginFolder();
    const bool isInstallFolder = !installFolder.empty() && EqualsNoCase(folder, installFolder);
    const BatchTemplate which = ChooseBatchTemplate(CountFiles(folder), isInstallFolder);

    const std::wstring batch = WriteBatchFile([&](const std::wstring& path) -> std::optional<std::string> {
        const auto batchInBatch = BatchPath(path, codePage);
        return batchInBatch ? SelfDeleteBatchText(which, *exeInBatch, *batchInBatch) : std::nullopt;
    });
    if (batch.empty())
        return DeleteAtRestart(exe, L"no batch file");

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + batch + L"\"";
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi)) {
        LogFailure(L"remove: the batch file does not start", ::GetLastError());
        ::DeleteFileW(batch.c_str());
        return DeleteAtRestart(exe, L"the batch file does not start");
    }
    ::SetThreadPriority(pi.hThread, THREAD_PRIORITY_IDLE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return SelfDeletion::AfterExit;
}

void RemoveInstallation() {
    LSTATUS status = ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        LogFailure(L"remove: the settings key stays", static_cast<unsigned long>(status));
    RemoveShortcuts();
    RemoveProgramsEntry();
    const SelfDeletion deletion = StartSelfDelete();
    if (CKelvor3App* app = CKelvor3App::Instance()) {
        unsigned count = BumpCounter(L"UnInst");
        std::wstring url = portal::ServiceUrl(L"/uninstall.htm?tag=ovn&ver=3.0.0.1") + L"&count=" + std::to_wstring(count);
        SendPing(url.c_str(), *app);
    }
    // The message promises only what was arranged.
    skin::ShowMessageBox(0, L"QuenraOrvane", RemovalClosingText(deletion, ExecutablePath()).c_str(), nullptr);
}

}  // namespace ovn
