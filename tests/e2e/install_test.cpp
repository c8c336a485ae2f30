// Installing from a download folder, the shortcuts' modes with their counters
// and pings, and removal with the self-deleting batch, all read from outside the
// program: files, shortcuts through the shell, the registry, the portal's record.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/e2e/life_support.h"

using namespace life;

namespace {

class InstallE2e : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ClearInstallation();
        PortalRequests(true);
    }
    void TearDown() override {
        EndAllCopies();
        ClearInstallation();
        CoUninitialize();
    }

    // A fresh copy of the program in a folder of its own under the test's state.
    std::wstring DownloadCopy(const std::wstring& folderName) {
        const std::wstring folder = Environment::Get().stateDir + L"\\" + folderName;
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring exe = folder + L"\\Ovn.exe";
        EXPECT_TRUE(CopyOver(Environment::Get().exePath, exe));
        return exe;
    }

    // Runs the downloaded copy as a player's double-click would and waits for
    // the installer to end; returns its process id.
    DWORD Install() {
        Process installer;
        EXPECT_TRUE(installer.Start(DownloadCopy(L"download"), L""));
        EXPECT_EQ(installer.Wait(60s), 0u) << "the installer did not end";
        return installer.Id();
    }

    // Answers the removal question with Yes and the closing message, which must
    // say closing, with OK.
    void Remove(Process& remover, const wchar_t* closing = kDeletedAfterExit) {
        HWND ask = WaitForBox(remover.Id(), L"确定要移除 QuenraOrvane极速登录器吗？", 20s);
        ASSERT_NE(ask, nullptr) << "no removal question";
        ASSERT_TRUE(PressBoxButton(ask, L"是"));
        HWND done = WaitForBox(remover.Id(), closing, 20s);
        ASSERT_NE(done, nullptr) << "no closing message, or one that says something else";
        ASSERT_TRUE(PressBoxButton(done, L"确定"));
        EXPECT_EQ(remover.Wait(20s), 0u);
    }

    static constexpr wchar_t kDeletedAfterExit[] = L"QuenraOrvane已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除";
    static constexpr wchar_t kDeletedAtRestart[] = L"QuenraOrvane已成功移除，程序文件将在计算机重启后自行删除";
};

// The placeholder files GetTempFileName leaves for the removal batch's name.
std::set<std::wstring> BatchPlaceholders() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((std::wstring(temp) + L"Del*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The files left for the system to delete at the next restart, as it keeps them.
std::wstring PendingDeletions() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value(32768, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    LSTATUS status = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    value.resize(status == ERROR_SUCCESS ? bytes / sizeof(wchar_t) : 0);
    return value;
}

void RestorePendingDeletions(const std::wstring& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_WRITE,
                      &key) != ERROR_SUCCESS)
        return;
    if (value.empty())
        RegDeleteValueW(key, L"PendingFileRenameOperations");
    else
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                       static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

TEST_F(InstallE2e, DownloadedCopyInstallsItselfAndStartsTheInstalledCopy) {
    const DWORD installer = Install();
    const std::wstring exe = InstalledExe();
    ASSERT_TRUE(Exists(exe));
    EXPECT_EQ(FileBytes(exe), FileBytes(Environment::Get().exePath));

    struct Expected {
        std::wstring path, arguments, description;
        int icon;
    };
    const Expected links[] = {
        {DesktopLink(kLinkGame), L"/OvnD", kLinkGame, 0},
        {DesktopLink(kLinkPortal), L"/webQuenraD", Environment::Get().portal + L"中国最大的网页游戏平台", 1},
        {ProgramsLink(kLinkGame), L"/OvnD", L"", 0},
        {ProgramsLink(kLinkUninstall), L"/uninst", L"", 0},
    };
    for (const Expected& e : links) {
        LinkInfo link = ReadLink(e.path);
        ASSERT_TRUE(link.loaded) << "no shortcut " << std::string(e.path.begin(), e.path.end());
        EXPECT_TRUE(_wcsicmp(link.target.c_str(), exe.c_str()) == 0);
        EXPECT_EQ(link.arguments, e.arguments);
        EXPECT_TRUE(_wcsicmp(link.iconPath.c_str(), exe.c_str()) == 0);
        EXPECT_EQ(link.iconIndex, e.icon);
        EXPECT_EQ(link.description, e.description);
    }

    // DisableDays: e, c, d, 0 with neither d nor e equal to c.
    std::string days = RegistryValue(L"DisableDays");
    ASSERT_EQ(days.size(), 4u);
    EXPECT_LT(days[0], 7);
    EXPECT_LT(days[1], 7);
    EXPECT_LT(days[2], 7);
    EXPECT_NE(days[0], days[1]);
    EXPECT_NE(days[2], days[1]);
    EXPECT_EQ(days[3], 0);

    // Its entry in the list of installed programs, where players look for it.
    EXPECT_NE(InstalledProgramsList().find("QuenraOrvane|||"), std::string::npos) << InstalledProgramsList();
    EXPECT_EQ(ProgramsEntryValue(L"DisplayName"), L"QuenraOrvane极速登录器");
    EXPECT_EQ(ProgramsEntryValue(L"DisplayVersion"), L"3.0.0.1");
    EXPECT_EQ(ProgramsEntryValue(L"Publisher"), L"Quenra");
    EXPECT_TRUE(_wcsicmp(ProgramsEntryValue(L"DisplayIcon").c_str(), (exe + L",0").c_str()) == 0);
    EXPECT_TRUE(_wcsicmp(ProgramsEntryValue(L"InstallLocation").c_str(), InstallFolder().c_str()) == 0);
    EXPECT_TRUE(_wcsicmp(ProgramsEntryValue(L"UninstallString").c_str(), (L"\"" + exe + L"\" /uninst").c_str()) == 0);
    EXPECT_EQ(ProgramsEntryValue(L"NoModify"), L"1");
    EXPECT_EQ(ProgramsEntryValue(L"NoRepair"), L"1");
    EXPECT_EQ(ProgramsEntryValue(L"EstimatedSize"), std::to_wstring((FileBytes(exe).size() + 1023) / 1024));

    // The installed copy runs as the launcher and counts its start.
    DWORD launcher = ChildCopy(installer);
    EXPECT_NE(launcher, 0u) << "the installed copy was not started";
    EXPECT_NE(WaitForWindow({.pid = launcher, .title = L"QuenraOrvane", .visibleOnly = true}, 30s), nullptr);
    EXPECT_TRUE(WaitFor([] { return CountRequests("GET /active.htm?tag=ovn&ver=3.0.0.1&count=1") == 1; }, 20s));
    EXPECT_EQ(CountRequests("GET /install.htm?tag=ovn&ver=3.0.0.1&count=1"), 1);
    EXPECT_EQ(ReadCounter(L"Inst"), L"1");
    EXPECT_EQ(ReadCounter(L"Game"), L"1");
}

// The browser cache's size limit, as the launcher and the page processes set it
// at their start; none when the value is not there.
constexpr wchar_t kCacheKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Content";
DWORD CacheLimit() {
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kCacheKey, L"CacheLimit", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
                   ERROR_SUCCESS
               ? value
               : 0;
}
void ForgetCacheLimit() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kCacheKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegDeleteValueW(key, L"CacheLimit");
    RegCloseKey(key);
}

TEST_F(InstallE2e, ShortcutsStartTheirModesAndEveryStartCounts) {
    Install();
    EndAllCopies();
    PortalRequests(true);
    ForgetCacheLimit();

    // The game shortcut: the launcher, counted.
    LinkInfo game = ReadLink(DesktopLink(kLinkGame));
    {
        Process p;
        ASSERT_TRUE(p.Start(game.target, game.arguments));
        EXPECT_NE(WaitForWindow({.pid = p.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 30s), nullptr);
        EXPECT_TRUE(WaitFor([] { return CountRequests("GET /active.htm?tag=ovn&ver=3.0.0.1&count=2") == 1; }, 20s));
        EXPECT_EQ(ReadCounter(L"Game"), L"2");
        EXPECT_EQ(CacheLimit(), 0x100000u) << "the launcher sets the cache limit at its start";
        EndAllCopies();
    }
    ForgetCacheLimit();
    // A stored count the program cannot read starts again from 1.
    WritePrivateProfileStringW(L"Ovn", L"Quenra", L"garbage", (InstallFolder() + L"\\Statistic.ini").c_str());
    // The portal shortcut: the portal's page, counted, and the process ends once
    // its ping is done.
    LinkInfo web = ReadLink(DesktopLink(kLinkPortal));
    {
        // Wine hands the portal's page to the Linux desktop's browser: here a
        // program that does nothing takes it.
        HKEY browsers = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr, &browsers,
                        nullptr);
        const wchar_t none[] = L"true";
        RegSetValueExW(browsers, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(none), sizeof none);
        struct Restore {
            HKEY key;
            ~Restore() {
                RegDeleteValueW(key, L"Browsers");
                RegCloseKey(key);
            }
        } restore{browsers};

        Process p;
        ASSERT_TRUE(p.Start(web.target, web.arguments));
        EXPECT_EQ(p.Wait(30s), 0u);
        EXPECT_EQ(CountRequests("GET /active.htm?tag=webQuenra&ver=3.0.0.1&count=1"), 1);
        EXPECT_EQ(CacheLimit(), 0u) << "the portal shortcut leaves the cache limit alone";
        EXPECT_EQ(ReadCounter(L"Quenra"), L"1");
        // The browser hand-over reads the setting before it goes.
        WaitFor([&] { return ChildProcesses(p.Id()).empty(); }, 10s);
        for (DWORD child : ChildProcesses(p.Id()))
            if (fw::Handle h{OpenProcess(PROCESS_TERMINATE, FALSE, child)})
                TerminateProcess(h.get(), 0);
    }
    // The start-menu uninstall shortcut starts the removal: its question.
    LinkInfo remove = ReadLink(ProgramsLink(kLinkUninstall));
    {
        Process p;
        ASSERT_TRUE(p.Start(remove.target, remove.arguments));
        HWND ask = WaitForBox(p.Id(), L"确定要移除 QuenraOrvane极速登录器吗？", 20s);
        ASSERT_NE(ask, nullptr);
        ASSERT_TRUE(PressBoxButton(ask, L"否"));
        EXPECT_EQ(p.Wait(20s), 0u);
        // No means nothing was removed.
        EXPECT_TRUE(Exists(InstalledExe()));
        EXPECT_TRUE(SettingsKeyExists());
        EXPECT_EQ(ReadCounter(L"UnInst"), L"");
    }
}

TEST_F(InstallE2e, RemovalTakesKeyShortcutsAndTheExecutableButKeepsSharedFiles) {
    Install();
    EndAllCopies();
    // Another game's shortcut in the shared start-menu folder keeps it.
    const std::wstring otherLink = ProgramsFolder() + L"\\Other.lnk";
    ASSERT_TRUE(CopyOver(ProgramsLink(kLinkGame), otherLink));
    PortalRequests(true);
    const std::set<std::wstring> placeholders = BatchPlaceholders();

    Process remover;
    ASSERT_TRUE(remover.Start(InstalledExe(), L"/uninst"));
    Remove(remover);
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_EQ(InstalledProgramsList().find("QuenraOrvane|||"), std::string::npos) << "still in the programs list";
    EXPECT_FALSE(Exists(DesktopLink(kLinkGame)));
    EXPECT_FALSE(Exists(DesktopLink(kLinkPortal)));
    EXPECT_FALSE(Exists(ProgramsLink(kLinkGame)));
    EXPECT_FALSE(Exists(ProgramsLink(kLinkUninstall)));
    EXPECT_TRUE(Exists(otherLink));
    EXPECT_EQ(CountRequests("GET /uninstall.htm?tag=ovn&ver=3.0.0.1&count=1"), 1);
    // The batch deletes the executable once its process has ended; the shared
    // counter file stays, and with it the folder.
    EXPECT_TRUE(WaitFor([] { return !Exists(InstalledExe()); }, 30s)) << "the executable was not deleted";
    EXPECT_TRUE(Exists(InstallFolder() + L"\\Statistic.ini"));
    EXPECT_EQ(ReadCounter(L"UnInst"), L"1");
    // The batch deleted itself, and the name's placeholder is gone too.
    EXPECT_EQ(BatchPlaceholders(), placeholders);
    DeleteFileW(otherLink.c_str());
    RemoveDirectoryW(ProgramsFolder().c_str());
}

TEST_F(InstallE2e, RemovalTakesTheInstallationFolderWhenOnlyTheProgramIsLeft) {
    Install();
    EndAllCopies();
    for (const wchar_t* file : {L"\\Statistic.ini", L"\\OldOvn.exe", L"\\NewOvn.exe"})
        DeleteFileW((InstallFolder() + file).c_str());
    Process remover;
    ASSERT_TRUE(remover.Start(InstalledExe(), L"/uninst"));
    Remove(remover);
    EXPECT_TRUE(WaitFor([] { return !Exists(InstallFolder()); }, 30s)) << "the installation folder stayed";
}

TEST_F(InstallE2e, RemovalFromADownloadFolderTakesOnlyTheProgram) {
    // Alone in its folder, but the folder is the player's, not the installation's.
    const std::wstring exe = DownloadCopy(L"alone");
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    Process remover;
    ASSERT_TRUE(remover.Start(exe, L"/uninst"));
    Remove(remover);
    EXPECT_TRUE(WaitFor([&] { return !Exists(exe); }, 30s)) << "the executable stayed";
    EXPECT_TRUE(Exists(folder)) << "a folder not ours was removed";
}

TEST_F(InstallE2e, RemovalFromFoldersTheAnsiCodePageMisnamesTouchesNothingElse) {
    // Each folder of the program beside the neighbour its ANSI spelling would
    // name in the batch. "游戏" has no ANSI spelling in a Western code page: it
    // would come back as "??", a wildcard matching "ab". And the command
    // processor reads the batch in the OEM code page (437 here, the ANSI one
    // being 1252): the ANSI byte of "é" is "Θ" there.
    ASSERT_EQ(GetACP(), 1252u) << "the cases need a Western prefix";
    ASSERT_EQ(GetOEMCP(), 437u);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"游戏", L"ab"}, {L"Jeu-\u00e9", L"Jeu-\u0398"}};
    for (const auto& [own, other] : cases) {
        SCOPED_TRACE(std::wstring(own));
        const std::wstring exe = DownloadCopy(own);
        const std::wstring neighbour = Environment::Get().stateDir + L"\\" + other;
        CreateDirectoryW(neighbour.c_str(), nullptr);
        ASSERT_TRUE(CopyOver(Environment::Get().exePath, neighbour + L"\\Ovn.exe"));
        ASSERT_TRUE(CopyOver(Environment::Get().exePath, neighbour + L"\\Keep.dat"));
        Process remover;
        ASSERT_TRUE(remover.Start(exe, L"/uninst"));
        Remove(remover);
        EXPECT_TRUE(WaitFor([&] { return !Exists(exe); }, 30s)) << "the executable stayed";
        EXPECT_TRUE(Exists(neighbour + L"\\Ovn.exe")) << "the neighbour's program was deleted";
        EXPECT_TRUE(Exists(neighbour + L"\\Keep.dat")) << "the neighbour's file was deleted";
    }
}

TEST_F(InstallE2e, RemovalFromAPathNoBatchCanCarryLeavesTheProgramForTheRestart) {
    // "%" would be expanded by the command processor: no batch names this path.
    const std::wstring exe = DownloadCopy(L"50%off");
    const std::wstring before = PendingDeletions();
    struct Restore {
        std::wstring value;
        ~Restore() { RestorePendingDeletions(value); }
    } restore{before};
    Process remover;
    ASSERT_TRUE(remover.Start(exe, L"/uninst"));
    Remove(remover, kDeletedAtRestart);
    // Still there until the restart, and on the system's list for it.
    EXPECT_TRUE(Exists(exe));
    const std::wstring pending = PendingDeletions();
    EXPECT_NE(pending.find(exe.substr(2)), std::wstring::npos) << "not left for deletion at restart";
}

}  // namespace
