// The game frame against a stand-in launcher window and the local portal:
// adoption, placement after the first page, the key filter, the hall's
// entergame command, the script-box sweep and the end when the launcher goes.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "browser/plain/plain_web_view.h"
#include "browser_test_support.h"
#include "common/portal.h"
#include "common/protocol.h"
#include "gamepage/game_page_process.h"
#include "gamepage/gm_wnd_view.h"
#include "gamepage/main_frame.h"
#include "process/process.h"
#include "settings/hotkey_store.h"
#include "sound/sound_mute.h"
#include "portal_test_support.h"

using namespace webtest;
using ovn::CMainFrame;
using ovn::gamepage::State;

namespace {

// Records what reaches the launcher: the messages the page process posts to it.
struct LauncherLog {
    std::vector<MSG> messages;
    size_t Count(UINT message) const {
        size_t n = 0;
        for (const auto& m : messages)
            n += m.message == message;
        return n;
    }
    const MSG* Last(UINT message) const {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->message == message)
                return &*it;
        return nullptr;
    }
};
LauncherLog* g_launcherLog = nullptr;

LRESULT CALLBACK LauncherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_launcherLog && (msg == ovn::kMsgAdoptFrame || msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN ||
                          msg == WM_SYSCOMMAND))
        g_launcherLog->messages.push_back(MSG{hwnd, msg, wParam, lParam, 0, {}});
    if (msg == WM_SYSCOMMAND)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeLauncher() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &LauncherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OvnGamePageTestLauncher";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"OvnGamePageTestLauncher", L"QuenraOrvane", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1000,
                                700, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    // As the launcher does; this test program stands for this executable.
    ovn::MarkAsLauncherWindow(hwnd);
    return hwnd;
}

// The portal's request record since the last call.
std::string PortalRequests() { return wintest::PortalGet(L"/__requests?clear=1"); }

using wintest::Occurrences;

RECT RectInLauncher(HWND frame, HWND launcher) {
    RECT r{};
    GetWindowRect(frame, &r);
    MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class GameFrame : public ::testing::Test {
protected:
    void SetUp() override {
        EnsurePortalAddress();
        ASSERT_TRUE(ole.ok());
        g_launcherLog = &log;
        launcher = MakeLauncher();
        ASSERT_TRUE(launcher);
        ovn::LauncherWnd = launcher;
        State() = ovn::gamepage::GamePageState{ovn::portal::HallPageUrl(), {}, {}, nullptr};
        PortalRequests();
    }
    void TearDown() override {
        frame.reset();
        if (IsWindow(launcher))
            DestroyWindow(launcher);
        ovn::LauncherWnd = nullptr;
        g_launcherLog = nullptr;
        PumpIdle();
    }

    void Open(const std::wstring& startUrl) {
        State().StartUrl = startUrl;
        frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->CreateGameFrame());
        ASSERT_TRUE(frame->GameView()->OnInitialUpdate());
    }

    // The first page has completed: the frame has placed itself in the page area.
    bool WaitFirstPage(int timeoutMs = 10000) {
        return PumpUntil([&] { return !State().PageUrl.empty(); }, timeoutMs);
    }

    ovn::browser::PlainWebView* Plain() const {
        return static_cast<ovn::browser::PlainWebView*>(frame->GameView()->Web());
    }

    OleScope ole;
    LauncherLog log;
    HWND launcher = nullptr;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

TEST_F(GameFrame, GamePageIsAdoptedThenPlacedAfterItsFirstPageButNeverShowsItself) {
    const std::wstring game = ovn::portal::ServiceUrl(L"/game/ovn.htm");
    Open(game);
    HWND hwnd = frame->hwnd();
    // Created hidden, borderless and without a taskbar button, then made the launcher's child.
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_VISIBLE), 0);
    LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE));
    EXPECT_EQ(GetParent(hwnd), launcher);

    PumpIdle();  // the request is posted to the launcher, here on this thread
    ASSERT_EQ(log.Count(ovn::kMsgAdoptFrame), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(log.Last(ovn::kMsgAdoptFrame)->wParam), hwnd);
    EXPECT_EQ(log.Last(ovn::kMsgAdoptFrame)->lParam, 0);  // a game page, not the hall

    ASSERT_TRUE(WaitFirstPage()) << "no page from the local portal at " << ovn::portal::ServiceHost();
    // Whether it is seen is the launcher's decision alone.
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE, 0);
    RECT client{};
    GetClientRect(launcher, &client);
    RECT placed = RectInLauncher(hwnd, launcher);
    EXPECT_EQ(placed.left, 4);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(placed.right, client.right - 4);
    EXPECT_EQ(placed.bottom, client.bottom - 4);
    EXPECT_EQ(State().PageUrl, game);
    EXPECT_EQ(State().PageTitle, L"Orvane");
    EXPECT_EQ(State().GameView, frame->GameView());

    // Every completed navigation places the frame again (the launcher may have grown).
    MoveWindow(launcher, 0, 0, 1100, 760, FALSE);
    frame->GameView()->Web()->Navigate(ovn::portal::HallPageUrl());
    PumpUntil([&] { return State().PageTitle == L"Quenra游戏大厅"; }, 10000);
    GetClientRect(launcher, &client);
    placed = RectInLauncher(hwnd, launcher);
    EXPECT_EQ(placed.right, client.right - 4);
    EXPECT_EQ(placed.bottom, client.bottom - 4);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE, 0);
}

TEST_F(GameFrame, KeyFilterForwardsRefreshesAndSwallows) {
    Open(ovn::portal::ServiceUrl(L"/game/ovn.htm"));
    ASSERT_TRUE(WaitFirstPage());
    PortalRequests();
    HWND page = frame->GameView()->Web()->WindowHandle();

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved[256];
    memcpy(saved, keys, sizeof(keys));

    // Ctrl+Tab (the default window-switch key) goes to the launcher unchanged.
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab{page, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_TRUE(fw::App::PreTranslate(tab));
    PumpIdle();
    ASSERT_EQ(log.Count(WM_KEYDOWN), 1u);
    EXPECT_EQ(log.Last(WM_KEYDOWN)->wParam, static_cast<WPARAM>(VK_TAB));
    EXPECT_EQ(log.Last(WM_KEYDOWN)->lParam, 0x000F0001);
    // Tab alone is the page's.
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    MSG plainTab{page, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_FALSE(fw::App::PreTranslate(plainTab));
    EXPECT_EQ(log.Count(WM_KEYDOWN), 1u);

    // F5 typed in the page refreshes it, and so does the launcher's refresh.
    MSG f5{page, WM_KEYDOWN, VK_F5, 0x003F0001, 0, {}};
    EXPECT_TRUE(fw::App::PreTranslate(f5));
    EXPECT_TRUE(Plain()->Browser().Busy());
    PumpUntil([&] { return !Plain()->Browser().Busy(); }, 10000);
    PostMessageW(frame->hwnd(), WM_KEYDOWN, VK_F5, ovn::CloseMarker);
    PumpIdle();  // the key has been taken and the fetch started
    PumpUntil([&] { return !Plain()->Browser().Busy(); }, 10000);
    EXPECT_EQ(Occurrences(PortalRequests(), "GET /game/ovn.htm"), 2u);

    // Anything else passes to the page untouched.
    MSG other{page, WM_KEYDOWN, 'A', 0x001E0001, 0, {}};
    EXPECT_FALSE(fw::App::PreTranslate(other));
    SetKeyboardState(saved);
}

namespace {
HWND g_boxSeen = nullptr;
HWND g_boxOwner = nullptr;

BOOL CALLBACK FindModalBox(HWND hwnd, LPARAM) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
        g_boxSeen = hwnd;
        g_boxOwner = GetWindow(hwnd, GW_OWNER);
        PostMessageW(hwnd, WM_CLOSE, 0, 0);  // the box's cancel
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &FindModalBox, 0);
}
}  // namespace

TEST_F(GameFrame, HallAnswersEnterGameWithoutNavigating) {
    Open(ovn::portal::HallPageUrl());
    ASSERT_TRUE(WaitFirstPage());
    EXPECT_EQ(log.Last(ovn::kMsgAdoptFrame)->lParam, 1);  // the hall
    auto* plain = Plain();
    auto linkTo = [&](const std::wstring& prefix) {
        const auto& links = plain->Browser().Document().links;
        for (size_t i = 0; i < links.size(); ++i)
            if (links[i].href.rfind(prefix, 0) == 0)
                return static_cast<int>(i);
        return -1;
    };
    auto click = [&](int link) {
        RECT r{};
        ASSERT_TRUE(plain->LinkRect(link, r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(plain->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(plain->WindowHandle(), WM_LBUTTONUP, 0, at);
    };
    const std::wstring hall = ovn::portal::HallPageUrl();

    // A name that is no game tag: cancelled and ignored, no question asked.
    g_boxSeen = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &CloseBoxTimer);
    int bad = linkTo(L"app://entergame|../evil");
    ASSERT_GE(bad, 0);
    click(bad);
    PumpIdle();  // a question would be up now, and the timer would have seen it in its loop
    EXPECT_EQ(g_boxSeen, nullptr);
    EXPECT_EQ(plain->Url(), hall);
    EXPECT_FALSE(plain->Browser().Busy());

    // A game whose launcher is not installed: the download question, owned by the
    // launcher; cancelled here, and with no download address nothing is opened.
    int moonlake = linkTo(L"app://entergame|moonlake|");
    ASSERT_GE(moonlake, 0);
    click(moonlake);
    PumpUntil([] { return g_boxSeen != nullptr; }, 3000);
    KillTimer(nullptr, timer);
    ASSERT_NE(g_boxSeen, nullptr);
    EXPECT_EQ(g_boxOwner, launcher);
    EXPECT_EQ(plain->Url(), hall);
    EXPECT_EQ(Occurrences(PortalRequests(), "GET /webgame.htm"), 1u);  // the first load only
}

TEST_F(GameFrame, SweepRemovesTheScriptBoxOfThisThread) {
    Open(ovn::portal::ServiceUrl(L"/game/ovn.htm"));
    HWND box = CreateWindowExW(0, L"#32770", L"来自网页的消息", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    HWND other = CreateWindowExW(0, L"#32770", L"Some other dialog", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(box && other);
    SetTimer(frame->hwnd(), ovn::gamepage::kTimerScriptSweep, ovn::gamepage::kScriptSweepMs, nullptr);
    PumpUntil([&] { return !IsWindow(box); }, 2000);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindow(other));
    DestroyWindow(other);
}

// The whole hall process as start-up runs it: the entry point, then the end
// when the launcher window goes away.
TEST_F(GameFrame, HallProcessEndsWhenTheLauncherIsGone) {
    ASSERT_TRUE(ovn::RunGamePageProcess(ovn::ModeGameHall));
    CMainFrame* hall = ovn::gamepage::GameFrame();
    ASSERT_NE(hall, nullptr);
    EXPECT_FALSE(ovn::RunGamePageProcess(ovn::ModeGameHall));  // one frame per process
    HWND hwnd = hall->hwnd();
    wchar_t caption[32] = {};
    GetWindowTextW(hwnd, caption, 32);
    EXPECT_STREQ(caption, L"QuenraOrvane");
    ASSERT_TRUE(PumpUntil([&] { return State().PageTitle == L"Quenra游戏大厅"; }, 10000));
    EXPECT_EQ(log.Last(ovn::kMsgAdoptFrame)->lParam, 1);

    // The launcher crashed. (Here it lives on this thread, where its end would take
    // its children along; the frame is let go first so that only its own timer
    // can notice.)
    SetParent(hwnd, nullptr);
    DestroyWindow(launcher);
    bool quit = false;
    EXPECT_TRUE(PumpUntil([&] { return quit && !IsWindow(hwnd); }, 3000, &quit));
    EXPECT_EQ(State().GameView, nullptr);
}

// The frame's hotkeys come from Statistic.ini (a value that does not read is the
// default) and are read again when the launcher says so; the launcher's sound
// state is applied once per change.
TEST_F(GameFrame, ReadsStoredHotkeysAgainOnRequestAndAppliesTheSoundState) {
    const std::wstring ini = ovn::settings::HotkeyIniPath();
    DeleteFileW(ini.c_str());
    WritePrivateProfileStringW(L"Ovn", L"AltWndKey", L"6,83", ini.c_str());
    WritePrivateProfileStringW(L"Ovn", L"SndKey", L"2,abc", ini.c_str());
    Open(ovn::portal::ServiceUrl(L"/game/ovn.htm"));
    EXPECT_EQ(frame->Hotkeys().windowSwitch, (ovn::HotkeySetting{83, 6}));
    EXPECT_EQ(frame->Hotkeys().sound, (ovn::HotkeySetting{81, 2}));
    EXPECT_EQ(frame->Hotkeys().boss, (ovn::HotkeySetting{121, 0}));

    WritePrivateProfileStringW(L"Ovn", L"AltWndKey", L"2,9", ini.c_str());
    WritePrivateProfileStringW(L"Ovn", L"ShortKey", L"0,0", ini.c_str());
    PostMessageW(frame->hwnd(), ovn::kMsgReloadHotkeys, 0, 0);
    PumpIdle();
    EXPECT_EQ(frame->Hotkeys().windowSwitch, (ovn::HotkeySetting{9, 2}));
    EXPECT_EQ(frame->Hotkeys().boss, (ovn::HotkeySetting{0, 0}));
    DeleteFileW(ini.c_str());

    EXPECT_FALSE(frame->AppliedMute().Last());
    SendMessageW(frame->hwnd(), ovn::kMsgSoundState, 1, 0);
    EXPECT_EQ(frame->AppliedMute().Last(), std::optional<bool>(true));
    EXPECT_EQ(ovn::sound::SoundMuted, 1);
    SendMessageW(frame->hwnd(), ovn::kMsgSoundState, 0, 0);
    EXPECT_EQ(frame->AppliedMute().Last(), std::optional<bool>(false));
    EXPECT_EQ(ovn::sound::SoundMuted, 0);
}
