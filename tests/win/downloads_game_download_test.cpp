// The game download dialog in this process against the local portal, for the
// ways a download fails: no configuration (404 or cut short), an installer that
// is missing, cut short or no program, an installer address off the portal's
// list (a listener there hears nothing), an empty tag, and a cancel during a
// trickling download, which closes the dialog at once and leaves the worker
// to end and clean up by itself. The whole journey from the hall, with an
// installer that starts, is in tests/e2e.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "browser_test_support.h"
#include "message_pump.h"
#include "portal_test_support.h"
#include "common/portal.h"
#include "downloads/down_game_dlg.h"
#include "downloads/http.h"
#include "process/process.h"
#include "res/resource.h"

using ovn::downloads::CDownGameDlg;

namespace {

std::wstring Text(HWND h) {
    wchar_t text[64] = {};
    GetWindowTextW(h, text, 64);
    return text;
}

std::string Control(const std::wstring& pathAndQuery) { return wintest::PortalGet(pathAndQuery); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The dialog as the player saw it when the watch said so.
struct Seen {
    INT_PTR result = -1;
    std::wstring title;
    bool okEnabled = false, cancelEnabled = false;
    bool watched = false;
};

// What the watch over a running dialog looks at.
struct Watch {
    Seen* seen = nullptr;
    CDownGameDlg* dialog = nullptr;
    const std::function<bool(HWND)>* until = nullptr;
    DWORD started = 0;
};
Watch g_watch;

// A timer of this thread, inside the dialog's own message loop (a plain
// function: timer procedures are stdcall on 32-bit Windows).
void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND h = g_watch.dialog->hwnd();
    Seen& seen = *g_watch.seen;
    if (!h || seen.watched)
        return;
    if (!(*g_watch.until)(h) && GetTickCount() - g_watch.started < 30000)
        return;
    seen.watched = true;
    seen.title = Text(h);
    seen.okEnabled = IsWindowEnabled(GetDlgItem(h, IDOK)) != FALSE;
    seen.cancelEnabled = IsWindowEnabled(GetDlgItem(h, IDCANCEL)) != FALSE;
    PostMessageW(h, WM_CLOSE, 0, 0);
}

// Runs the dialog modally; the watch looks at it until done(dialog) holds,
// notes what it shows, then closes it with WM_CLOSE (the frame's close button).
Seen RunDialog(CDownGameDlg& dlg, const std::function<bool(HWND)>& done) {
    Seen result;
    g_watch = Watch{&result, &dlg, &done, GetTickCount()};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &WatchTick);
    result.result = dlg.DoModal(nullptr);
    KillTimer(nullptr, timer);
    g_watch = Watch{};
    return result;
}

bool Finished(HWND h) { return Text(h) != L"游戏下载中..."; }

class GameDownloadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        webtest::EnsurePortalAddress();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        target = std::wstring(temp) + L"Abc.exe";
        ini = ovn::PlayerFolder() + L"Abc.ini";
        DeleteFileW(target.c_str());
        DeleteFileW(ini.c_str());
        // Any program serves as the installer here: it is never started.
        ASSERT_EQ(Control(L"/__gamedl?tag=Abc&exe=" + LinuxPath(ovn::ExecutablePath())), "ok");
        Control(L"/__requests?clear=1");
    }
    void TearDown() override {
        for (const wchar_t* path : {L"/update/ConfigAbc.htm", L"/download/game/Abc.exe"})
            Control(L"/__misbehave?path=" + std::wstring(path) + L"&mode=off");
        Control(L"/__gamedl?tag=Abc&mode=off");
    }
    static std::wstring LinuxPath(std::wstring path) {
        if (path.size() >= 2 && path[1] == L':')
            path = path.substr(2);
        for (wchar_t& c : path)
            if (c == L'\\')
                c = L'/';
        return path;
    }
    std::wstring target, ini;
};

TEST_F(GameDownloadDialog, NoConfigurationFailsAndLeavesNoIniBehind) {
    for (const wchar_t* mode : {L"404", L"short"}) {
        Control(L"/__misbehave?path=/update/ConfigAbc.htm&mode=" + std::wstring(mode));
        CDownGameDlg dlg(L"Abc");
        const Seen seen = RunDialog(dlg, Finished);
        EXPECT_EQ(seen.title, L"下载失败") << mode;
        // Still downloading as far as the buttons go: closed with "取消".
        EXPECT_FALSE(seen.okEnabled) << mode;
        EXPECT_TRUE(seen.cancelEnabled) << mode;
        EXPECT_FALSE(Exists(ini)) << mode << ": the partial configuration stayed";
        EXPECT_FALSE(Exists(target)) << mode;
    }
}

TEST_F(GameDownloadDialog, AnInstallerMissingCutShortOrNoProgramIsNeverKept) {
    for (const wchar_t* mode : {L"404", L"short", L"page"}) {
        if (std::wstring(mode) == L"page") {
            Control(L"/__misbehave?path=/download/game/Abc.exe&mode=off");
            Control(L"/__gamedl?tag=Abc&mode=page&exe=" + LinuxPath(ovn::ExecutablePath()));
        } else {
            Control(L"/__misbehave?path=/download/game/Abc.exe&mode=" + std::wstring(mode));
        }
        CDownGameDlg dlg(L"Abc");
        const Seen seen = RunDialog(dlg, Finished);
        EXPECT_EQ(seen.title, L"下载失败") << mode;
        EXPECT_TRUE(seen.okEnabled) << mode;
        EXPECT_FALSE(seen.cancelEnabled) << mode;
        EXPECT_FALSE(Exists(target)) << mode << ": the failed installer stayed";
        EXPECT_FALSE(Exists(ini)) << mode;
    }
}

TEST_F(GameDownloadDialog, AnInstallerOffTheListIsNeverFetched) {
    WSADATA wsa{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(0x7F000002);  // 127.0.0.2: loopback, but not the portal
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    int size = sizeof at;
    getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
    const std::wstring host = L"127.0.0.2:" + std::to_wstring(ntohs(at.sin_port));
    Control(L"/__gamedl?tag=Abc&mode=offlist&offlist=" + host + L"&exe=" + LinuxPath(ovn::ExecutablePath()));

    CDownGameDlg dlg(L"Abc");
    const Seen seen = RunDialog(dlg, Finished);
    EXPECT_EQ(seen.title, L"下载失败");
    // The worker is done (the title says so): whatever it was going to ask, it has.
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval now{0, 0};
    EXPECT_EQ(select(0, &ready, nullptr, nullptr, &now), 0) << "the address off the list was asked";
    EXPECT_FALSE(Exists(target));
    closesocket(listener);
    WSACleanup();
}

TEST_F(GameDownloadDialog, AnEmptyTagNeverDownloads) {
    CDownGameDlg dlg(L"");
    // Once Windows has let the dialog run for a while, it would have asked.
    const DWORD began = GetTickCount();
    const Seen seen = RunDialog(dlg, [&](HWND) { return GetTickCount() - began > 500; });
    EXPECT_EQ(seen.title, L"游戏下载中...");
    EXPECT_EQ(Control(L"/__requests").find("/update/Config"), std::string::npos);
    EXPECT_FALSE(dlg.m_worker.Running());
}

TEST_F(GameDownloadDialog, CancelDuringATrickleClosesAtOnceAndTheWorkerCleansUp) {
    // Eight bytes every 200 ms: one read of the worker waits 25 s for its buffer,
    // and closing its handles does not end that wait.
    Control(L"/__misbehave?path=/download/game/Abc.exe&mode=slow&chunk=8");
    {
        CDownGameDlg dlg(L"Abc");
        const Seen seen = RunDialog(dlg, [&](HWND) { return Exists(target); });
        EXPECT_EQ(seen.title, L"游戏下载中...");
        EXPECT_EQ(seen.result, IDCANCEL);
        EXPECT_FALSE(dlg.m_worker.Running()) << "the dialog still holds its worker";
    }
    // The dialog (and its object) went while its worker still held the partial installer.
    EXPECT_TRUE(Exists(target)) << "the dialog waited for its worker";
    // The trickle is cut: the worker's read ends, and it deletes what it wrote.
    Control(L"/__misbehave?path=/download/game/Abc.exe&mode=off");
    EXPECT_TRUE(wintest::PumpUntil([&] { return !Exists(target); }, 30000)) << "the partial installer stayed";
}

}  // namespace
