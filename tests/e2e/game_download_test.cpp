// Another game's launcher downloaded from the game hall, from outside: a real
// launcher shows its hall, whose page's link asks to start a game that is not
// installed; the player agrees; the download
// dialog fetches the portal's configuration for the tag and the installer it
// names, shows its progress, starts the installer (a stand-in that records its
// start) and says so; or, cancelled during a slow download, closes at once and
// leaves a hall that still works.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/protocol.h"
#include "res/resource.h"
#include "tests/e2e/driver/login.h"
#include "tests/e2e/life_support.h"
#include "tests/signing/signed_files.h"

using namespace life;

namespace {

constexpr wchar_t kInstaller[] = L"/download/game/Skyrealm.exe";

class GameDownloadE2e : public ::testing::Test {
protected:
    void SetUp() override {
        record = Environment::Get().stateDir + L"\\installer-record.txt";
        DeleteFileW(record.c_str());
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        target = std::wstring(temp) + L"Skyrealm.exe";
        DeleteFileW(target.c_str());
        ASSERT_EQ(HttpGet(L"/__gamedl?tag=Skyrealm&exe=" + LinuxPath(RecorderPath())), "ok");
        PortalRequests(true);
    }
    void TearDown() override {
        HttpGet(L"/__misbehave?path=" + std::wstring(kInstaller) + L"&mode=off");
        HttpGet(L"/__gamedl?tag=Skyrealm&mode=off");
        EXPECT_TRUE(QuitLauncher(launcher)) << "the launcher or its hall did not end";
    }

    // Starts a launcher, logs its first page in, shows the hall, clicks the
    // hall page's link for Skyrealm and agrees to the download: the download
    // dialog.
    HWND OpenDownload(const std::wstring& program = Environment::Get().exePath) {
        ScopedEnvironment recordTo(L"OVN_RECORD_FILE", record);
        if (!launcher.Start(program, L"/OvnD"))
            return nullptr;
        wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 20s);
        HWND page = wnd ? LogInFirstPage(wnd) : nullptr;
        if (!page)
            return nullptr;
        Hall hall;
        HWND dialog = OpenGameDownload(wnd, page, L"entergame|skyrealm", &hall);
        hallFrame = hall.frame;
        hallPid = hall.pid;
        return dialog;
    }
    int Position(HWND dialog) {
        return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_DOWNGAME_BAR), PBM_GETPOS, 0, 0));
    }

    Process launcher;
    HWND wnd = nullptr, hallFrame = nullptr;
    DWORD hallPid = 0;
    std::wstring record, target;
};

TEST_F(GameDownloadE2e, DownloadsTheInstallerWithProgressAndStartsIt) {
    // About twenty slow steps, so that the dialog is seen part-way.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(RecorderPath().c_str(), GetFileExInfoStandard, &data));
    const int chunk = static_cast<int>(data.nFileSizeLow / 20) + 1;
    HttpGet(L"/__misbehave?path=" + std::wstring(kInstaller) + L"&mode=slow&chunk=" + std::to_wstring(chunk));

    HWND dialog = OpenDownload();
    ASSERT_NE(dialog, nullptr) << "no download dialog";
    HWND label = GetDlgItem(dialog, IDC_DOWNGAME_LABEL);
    HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL);
    EXPECT_FALSE(IsWindowEnabled(ok));
    EXPECT_TRUE(IsWindowEnabled(cancel));

    // Part-way: the bar and its label agree on a percentage short of 100.
    int seen = 0;
    ASSERT_TRUE(WaitFor([&] {
        seen = Position(dialog);
        return seen > 30 && seen < 90 && WindowText(label) == L"已加载  " + std::to_wstring(seen) + L"%";
    }, 30s)) << "bar at " << Position(dialog);
    SaveScreenshot(Environment::Get().stateDir + L"\\download.png", dialog);

    ASSERT_TRUE(WaitFor([&] { return WindowText(dialog) == L"下载完成"; }, 60s)) << "the download did not finish";
    EXPECT_EQ(Position(dialog), 100);
    EXPECT_EQ(WindowText(label), L"已加载  100%");
    EXPECT_TRUE(IsWindowEnabled(ok));
    EXPECT_FALSE(IsWindowEnabled(cancel));
    // The installer that was started is the downloaded one, from the temporary folder.
    EXPECT_TRUE(WaitFor([&] { return ReadFileText(record).find("Skyrealm.exe") != std::string::npos; }))
        << ReadFileText(record);
    EXPECT_EQ(CountRequests("GET /update/ConfigSkyrealm.htm"), 1);
    EXPECT_EQ(CountRequests("GET /download/game/Skyrealm.exe"), 1);
    // The configuration was kept only while it was read.
    EXPECT_FALSE(Exists(PlayerFolder() + L"\\Skyrealm.ini"));

    ASSERT_TRUE(ClickWindow(ok));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
}

// A signed launcher starts only installers its own publisher signed: the
// stand-in installer is not signed.
TEST_F(GameDownloadE2e, ASignedLauncherStartsNoUnsignedInstaller) {
    signing::TrustedTestRoot root;
    ASSERT_TRUE(root.Trusted()) << "no test root in OVN_SIGNED";
    HWND dialog = OpenDownload(signing::File(L"ovn-a.exe"));
    ASSERT_NE(dialog, nullptr) << "no download dialog";
    ASSERT_TRUE(WaitFor([&] { return WindowText(dialog) == L"下载失败"; }, 60s)) << WindowText(dialog).size();
    EXPECT_EQ(CountRequests("GET /download/game/Skyrealm.exe"), 1);
    EXPECT_EQ(ReadFileText(record), "") << "the unsigned installer was started";
    EXPECT_FALSE(Exists(target)) << "the refused installer stayed";
    ASSERT_TRUE(ClickWindow(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
}

TEST_F(GameDownloadE2e, CancelDuringASlowDownloadClosesAtOnceAndTheHallGoesOn) {
    HttpGet(L"/__misbehave?path=" + std::wstring(kInstaller) + L"&mode=slow&chunk=64");
    HWND dialog = OpenDownload();
    ASSERT_NE(dialog, nullptr) << "no download dialog";
    ASSERT_TRUE(WaitFor([&] { return Position(dialog) >= 0 && CountRequests("GET /download/game/Skyrealm.exe") == 1; }));

    // Esc does not close it (the round trip behind it shows it was handled).
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    ASSERT_TRUE(IsWindow(dialog));

    // At this pace the installer would take many minutes.
    ASSERT_TRUE(ClickWindow(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s)) << "cancel did not close the dialog";
    // Its worker ends by itself once its read returns, and deletes what it wrote.
    EXPECT_TRUE(WaitFor([&] { return !Exists(target); }, 20s)) << "the partial installer stayed";
    EXPECT_EQ(ReadFileText(record), "");

    // The hall still answers: a refresh fetches its page again.
    const int before = CountRequests("GET /webgame.htm");
    PostMessageW(hallFrame, WM_KEYDOWN, VK_F5, ovn::CloseMarker);
    EXPECT_TRUE(WaitFor([&] { return CountRequests("GET /webgame.htm") > before; }));
    EXPECT_TRUE(IsWindow(hallFrame));
}

}  // namespace
