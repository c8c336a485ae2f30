// Installing from a download folder, the shortcuts' modes with their counters
// and pings, and removal with the self-deleting batch, all read from outside the
// program: files, shortcuts through the shell, the registry, the portal's record.
#include <gtest/gtest.h>

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

    // Answers the removal question with Yes and the closing message with OK.
    void Remove(Process& remover) {
        HWND ask = WaitForBox(remover.Id(), L"确定要移除 QuenraOrvane极速登录器吗？", 20s);
        ASSERT_NE(ask, nullptr) << "no removal question";
        ASSERT_TRUE(PressBoxButton(ask, L"是"));
        HWND done = WaitForBox(remover.Id(), L"QuenraOrvane已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除", 20s);
        ASSERT_NE(done, nullptr) << "no closing message";
        ASSERT_TRUE(PressBoxButton(done, L"确定"));
        EXPECT_EQ(remover.Wait(20s), 0u);
    }
};

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

    Process remover;
    ASSERT_TRUE(remover.Start(InstalledExe(), L"/uninst"));
    Remove(remover);
    EXPECT_FALSE(SettingsKeyExists());
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
    DeleteFileW(otherLink.c_str());
    RemoveDirectoryW(ProgramsFolder().c_str());
}

TEST_F(InstallE2e, RemovalFromAFolderOfItsOwnTakesTheFolder) {
    const std::wstring exe = DownloadCopy(L"alone");
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    Process remover;
    ASSERT_TRUE(remover.Start(exe, L"/uninst"));
    Remove(remover);
    EXPECT_TRUE(WaitFor([&] { return !Exists(folder); }, 30s)) << "the folder stayed";
}

TEST_F(InstallE2e, RemovalFromAFolderTheCodePageCannotNameTouchesNothingElse) {
    // "游戏" has no spelling in a Western code page: converted it would come back
    // as "??", which cmd reads as a wildcard matching the neighbour "ab".
    const std::wstring exe = DownloadCopy(L"游戏");
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const std::wstring neighbour = Environment::Get().stateDir + L"\\ab";
    CreateDirectoryW(neighbour.c_str(), nullptr);
    ASSERT_TRUE(CopyOver(Environment::Get().exePath, neighbour + L"\\Ovn.exe"));
    ASSERT_TRUE(CopyOver(Environment::Get().exePath, neighbour + L"\\Keep.dat"));
    Process remover;
    ASSERT_TRUE(remover.Start(exe, L"/uninst"));
    Remove(remover);
    // Named by its short path the batch still deletes the program and its folder.
    EXPECT_TRUE(WaitFor([&] { return !Exists(folder); }, 30s)) << "the folder stayed";
    EXPECT_TRUE(Exists(neighbour + L"\\Ovn.exe"));
    EXPECT_TRUE(Exists(neighbour + L"\\Keep.dat"));
}

}  // namespace
