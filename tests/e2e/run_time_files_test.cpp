// What the program makes while it runs, from outside: a player's whole day
// (install, the game shortcut with its update check, a login, the notice with
// its picture, another game downloaded from the hall, a crash) leaves the
// installation folder holding only what the installer put there and the shared
// Statistic.ini. Players may write nothing else there; what the program makes
// goes to the player's own folder. Wine lets anyone write anywhere, so the
// folder is watched for every name made in it, even one deleted again.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "app/crash_dump.h"
#include "res/resource.h"
#include "tests/e2e/driver/login.h"
#include "tests/e2e/life_support.h"

using namespace life;

namespace {

// Every name that appears in a folder (made or renamed into it) while it lives.
class FolderWatch {
public:
    explicit FolderWatch(const std::wstring& folder)
        : m_dir(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
          m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (m_dir)
            m_thread = std::thread([this] { Run(); });
    }
    ~FolderWatch() { Stop(); }
    bool Watching() const { return static_cast<bool>(m_dir) && m_started; }
    std::set<std::wstring> Stop() {
        if (m_thread.joinable()) {
            SetEvent(m_stop.get());
            m_thread.join();
        }
        return m_names;
    }

private:
    void Run() {
        fw::Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        alignas(DWORD) BYTE buffer[16384];
        for (;;) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = done.get();
            ResetEvent(done.get());
            if (!ReadDirectoryChangesW(m_dir.get(), buffer, sizeof buffer, TRUE,
                                       FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, nullptr, &overlapped,
                                       nullptr))
                return;
            m_started = true;
            HANDLE both[] = {m_stop.get(), done.get()};
            const DWORD which = WaitForMultipleObjects(2, both, FALSE, INFINITE);
            DWORD got = 0;
            if (which != WAIT_OBJECT_0 + 1) {
                CancelIoEx(m_dir.get(), &overlapped);
                GetOverlappedResult(m_dir.get(), &overlapped, &got, TRUE);
                return;
            }
            if (!GetOverlappedResult(m_dir.get(), &overlapped, &got, FALSE))
                return;
            for (auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer); got;) {
                if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME)
                    m_names.insert(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)));
                if (!info->NextEntryOffset)
                    break;
                info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(reinterpret_cast<BYTE*>(info) + info->NextEntryOffset);
            }
        }
    }

    fw::FileHandle m_dir;
    fw::Handle m_stop;
    std::thread m_thread;
    std::set<std::wstring> m_names;
    std::atomic<bool> m_started{false};
};

std::set<std::wstring> Listing(const std::wstring& folder) {
    auto names = FilesIn(folder);
    return {names.begin(), names.end()};
}

class RunTimeFilesE2e : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ClearInstallation();
        for (const std::wstring& name : FilesIn(PlayerFolder()))
            DeleteFileW((PlayerFolder() + L"\\" + name).c_str());
        record = Environment::Get().stateDir + L"\\run-time-record.txt";
        DeleteFileW(record.c_str());
        PublishUpdate(L"same");  // checked, and nothing new
        ASSERT_NE(HttpGet(L"/__notice?form=both&text=Hello"), "");
        ASSERT_EQ(HttpGet(L"/__gamedl?tag=Skyrealm&exe=" + LinuxPath(RecorderPath())), "ok");
        PortalRequests(true);
    }
    void TearDown() override {
        HttpGet(L"/__notice?form=off");
        HttpGet(L"/__gamedl?tag=Skyrealm&mode=off");
        PublishUpdate(L"off");
        EndAllCopies();
        ClearInstallation();
        CoUninitialize();
    }
    std::wstring record;
};

TEST_F(RunTimeFilesE2e, APlayersDayLeavesTheInstallationFolderAsTheInstallerMadeIt) {
    // Install from a download folder; the launcher the installer starts is ended.
    const std::wstring download = Environment::Get().stateDir + L"\\run-time-download";
    CreateDirectoryW(download.c_str(), nullptr);
    ASSERT_TRUE(CopyOver(Environment::Get().exePath, download + L"\\Ovn.exe"));
    {
        Process installer;
        ASSERT_TRUE(installer.Start(download + L"\\Ovn.exe", L""));
        ASSERT_EQ(installer.Wait(60s), 0u);
    }
    EndAllCopies();
    const std::set<std::wstring> installed = Listing(InstallFolder());
    EXPECT_EQ(installed, (std::set<std::wstring>{L"Ovn.exe", L"Statistic.ini"}));
    // No weekday skipped: the shortcut's start checks for an update today.
    const BYTE noDays[4] = {};
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"DisableDays", 0, REG_BINARY, noDays, sizeof noDays);
    RegCloseKey(key);

    FolderWatch watch(InstallFolder());
    ASSERT_TRUE(WaitFor([&] { return watch.Watching(); })) << "the folder cannot be watched";

    // The game shortcut: the update check, the launcher and its login.
    ScopedEnvironment recordTo(L"OVN_RECORD_FILE", record);
    Process launcher;
    ASSERT_TRUE(launcher.Start(InstalledExe(), L"/OvnD"));
    HWND wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 30s);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(CountRequests("GET /update/ConfigOvn.htm"), 1) << "the update check did not run";
    HWND page = LogInFirstPage(wnd);
    ASSERT_NE(page, nullptr);

    // The notice comes up with its picture.
    HWND popup = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : FindWindows({.pid = launcher.Id(), .className = L"#32770", .visibleOnly = true}))
            if (HWND text = GetDlgItem(h, IDC_POP_TEXT); text && WindowText(text) == L"Hello...")
                popup = h;
        return popup != nullptr;
    }, 30s)) << "no notice came up";
    EXPECT_EQ(CountRequests("GET /notice/pic.jpg"), 1);
    EXPECT_TRUE(Exists(PlayerFolder() + L"\\PopWnd.jpg")) << "the picture is not in the player's folder";

    // Another game from the hall.
    Hall hall;
    HWND dialog = OpenGameDownload(wnd, page, L"entergame|skyrealm", &hall);
    ASSERT_NE(dialog, nullptr) << "no download dialog";
    ASSERT_TRUE(WaitFor([&] { return WindowText(dialog) == L"下载完成"; }, 60s)) << "the download did not finish";
    EXPECT_TRUE(WaitFor([&] { return ReadFileText(record).find("Skyrealm.exe") != std::string::npos; }));
    ASSERT_TRUE(ClickWindow(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

    // The hall crashes: its dump goes to the player's folder, named for it.
    {
        fw::Handle target(OpenProcess(PROCESS_ALL_ACCESS, FALSE, hall.pid));
        ASSERT_TRUE(target);
        auto bad = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(0x10));
        fw::Handle thread(CreateRemoteThread(target.get(), nullptr, 0, bad, nullptr, 0, nullptr));
        ASSERT_TRUE(thread);
        // Its dump may take the writer's whole time on a busy machine.
        EXPECT_EQ(WaitForSingleObject(target.get(), ovn::kCrashDumpTimeoutMs + 20000), WAIT_OBJECT_0)
            << "the crashed hall did not end";
    }
    const std::wstring dump = PlayerFolder() + L"\\Ovn-hall-" + std::to_wstring(hall.pid) + L".dmp";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(dump.c_str(), GetFileExInfoStandard, &data)) << "no dump in the player's folder";
    EXPECT_GT(data.nFileSizeLow, 0u);

    EndAllCopies();
    const std::set<std::wstring> made = watch.Stop();
    EXPECT_EQ(Listing(InstallFolder()), installed);
    for (const std::wstring& name : made)
        EXPECT_EQ(name, L"Statistic.ini") << "the program made a file in the installation folder";
}

}  // namespace
