// The add-favourite dialog run modally on the test thread and answered as a
// player would: the Internet Shortcut it leaves in the prefix's Favorites
// folder, byte for byte, where a name with path characters ends up, and Ctrl+D
// in a game frame opening it for the page shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/app.h"
#include "gamepage/game_page_process.h"
#include "gamepage/gm_wnd_view.h"
#include "gamepage/main_frame.h"
#include "launcher_test_support.h"
#include "process/process.h"
#include "res/resource.h"
#include "gamepage/fav_dlg.h"
#include "settings_test_support.h"

using settingstest::DialogAnswerer;

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Expected(const std::string& url) {
    return "[DEFAULT]\r\nBASEURL=" + url +
           "\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=" + url +
           "\r\nIDList=\r\n";
}

class Favourite : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ovn::FavoritesFolder();
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override {
        for (const std::wstring& path : made)
            DeleteFileW(path.c_str());
    }
    // A file of the folder the test may create; removed afterwards either way.
    std::wstring InFolder(const std::wstring& file) {
        made.push_back(folder + L"\\" + file);
        return made.back();
    }
    // Runs the dialog for title and url; the player types name and presses
    // "收藏" (or cancels). Returns what the dialog proposed.
    std::wstring Run(const std::wstring& title, const std::wstring& url, const std::wstring& name,
                     int button = IDOK, const wchar_t* shot = nullptr) {
        std::wstring proposed;
        DialogAnswerer answer(L"添加收藏", [&](HWND dlg) {
            wchar_t text[256] = {};
            GetDlgItemTextW(dlg, IDC_FAV_NAME, text, 256);
            proposed = text;
            SetDlgItemTextW(dlg, IDC_FAV_NAME, name.c_str());
            if (shot) {
                skintest::PumpIdle();
                settingstest::SaveShot(dlg, shot);
            }
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, button)));
        });
        ovn::CFavDlg dlg(title, url);
        EXPECT_EQ(dlg.DoModal(nullptr), button);
        EXPECT_TRUE(answer.Answered());
        return proposed;
    }

    std::wstring folder;
    std::vector<std::wstring> made;
};

}  // namespace

TEST_F(Favourite, WritesTheShortcutOverAnOldOne) {
    const std::wstring path = InFolder(L"\u5965\u51e1 \u6e38\u620f-ovn-test.url");
    {
        std::ofstream old(path.c_str(), std::ios::binary);
        old << std::string(2000, 'x');  // longer than the new one: nothing of it may remain
    }
    const std::string url = "http://127.0.0.1:8080/game/ovn.htm?sid=42&srv=7";
    const std::wstring proposed = Run(L"Orvane", std::wstring(url.begin(), url.end()),
                                      L"\u5965\u51e1 \u6e38\u620f-ovn-test", IDOK, L"add-favourite.png");
    EXPECT_EQ(proposed, L"Orvane");
    EXPECT_EQ(ReadAll(path), Expected(url));

    // However long the page address, it is written whole.
    const std::string longUrl = "http://127.0.0.1:8080/game/ovn.htm?" + std::string(600, 'q') + "&end=1";
    Run(L"Orvane", std::wstring(longUrl.begin(), longUrl.end()), L"\u5965\u51e1 \u6e38\u620f-ovn-test");
    EXPECT_EQ(ReadAll(path), Expected(longUrl));
}

TEST_F(Favourite, NonAsciiAddressIsWrittenInTheAnsiCodePage) {
    // U+00E9 in the code pages a prefix is likely to run in.
    std::string e;
    switch (GetACP()) {
    case 1252: e = "\xE9"; break;
    case 936: e = "\xA8\xA6"; break;
    case 65001: e = "\xC3\xA9"; break;
    default: GTEST_SKIP() << "no expected bytes for code page " << GetACP();
    }
    const std::wstring path = InFolder(L"ovn-test-ansi.url");
    Run(L"t", L"http://127.0.0.1/caf\u00e9", L"ovn-test-ansi");
    EXPECT_EQ(ReadAll(path), Expected("http://127.0.0.1/caf" + e));
}

TEST_F(Favourite, AddressTheCodePageCannotHoldIsPercentEncoded) {
    // "游戏" has no spelling in a Western code page: the same address, its
    // characters as UTF-8 escapes, never "??".
    if (GetACP() != 1252)
        GTEST_SKIP() << "the case needs a Western code page, not " << GetACP();
    const std::wstring path = InFolder(L"ovn-test-encoded.url");
    Run(L"t", L"http://127.0.0.1/\u6e38\u620f?caf\u00e9", L"ovn-test-encoded");
    EXPECT_EQ(ReadAll(path), Expected("http://127.0.0.1/%E6%B8%B8%E6%88%8F?caf\xE9"));
}

TEST_F(Favourite, NamesWithPathCharactersStayInTheFolder) {
    const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\'));
    const std::wstring outside = parent.substr(0, parent.find_last_of(L'\\')) + L"\\ovn-test-escape.url";
    made.push_back(outside);
    made.push_back(parent + L"\\ovn-test-escape.url");
    const std::wstring inside = InFolder(L".._.._ovn-test-escape.url");
    Run(L"t", L"http://127.0.0.1/", L"..\\..\\ovn-test-escape");
    EXPECT_TRUE(Exists(inside));
    EXPECT_FALSE(Exists(outside));
    EXPECT_FALSE(Exists(parent + L"\\ovn-test-escape.url"));

    const std::wstring slashed = InFolder(L"a_b_c_ovn-test.url");
    Run(L"t", L"http://127.0.0.1/", L"a/b:c_ovn-test");
    EXPECT_TRUE(Exists(slashed));
    EXPECT_EQ(ReadAll(slashed), Expected("http://127.0.0.1/"));

    // A device name is a file like any other.
    const std::wstring device = InFolder(L"_CON.url");
    Run(L"t", L"http://127.0.0.1/", L"CON");
    EXPECT_EQ(ReadAll(device), Expected("http://127.0.0.1/"));
}

TEST_F(Favourite, CancelWritesNothing) {
    const std::wstring path = InFolder(L"ovn-test-cancel.url");
    Run(L"t", L"http://127.0.0.1/", L"ovn-test-cancel", IDCANCEL);
    EXPECT_FALSE(Exists(path));
}

namespace {

// A game frame showing a page of the title given, in a stand-in launcher.
struct GamePage {
    explicit GamePage(const wchar_t* title) {
        ovn::LauncherWnd = launcher.hwnd();
        ovn::gamepage::State() = ovn::gamepage::GamePageState{};
        ovn::gamepage::State().PageTitle = title;
        ovn::gamepage::State().PageUrl = L"http://127.0.0.1:8080/game/ovn.htm?sid=9";
        frame = std::make_unique<ovn::CMainFrame>();
        if (!frame->CreateGameFrame())
            frame.reset();
    }
    ~GamePage() {
        frame.reset();
        ovn::LauncherWnd = nullptr;
        ovn::gamepage::State() = ovn::gamepage::GamePageState{};
        launchertest::PumpUntilIdle();
    }
    fw::OleScope ole;
    launchertest::StrangerWindow launcher;
    std::unique_ptr<ovn::CMainFrame> frame;
};

}  // namespace

TEST_F(Favourite, CtrlDInAGamePageOffersThePageShown) {
    GamePage page(L"Orvane \u6e38\u620f");
    ASSERT_TRUE(page.frame);
    const auto& frame = page.frame;

    const std::wstring path = InFolder(L"Orvane \u6e38\u620f.url");
    std::wstring proposed;
    DialogAnswerer answer(L"\u6dfb\u52a0\u6536\u85cf", [&](HWND dlg) {
        wchar_t text[256] = {};
        GetDlgItemTextW(dlg, IDC_FAV_NAME, text, 256);
        proposed = text;
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    });
    MSG ctrlD{frame->GameView()->hwnd(), WM_CHAR, 4, 0x00200001, 0, {}};
    EXPECT_TRUE(fw::App::PreTranslate(ctrlD));
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(proposed, L"Orvane \u6e38\u620f");
    EXPECT_EQ(ReadAll(path), Expected("http://127.0.0.1:8080/game/ovn.htm?sid=9"));

}

// Ctrl+D posted ten times at once (as typed, or by another program) opens one
// favourite dialog; the others are swallowed while it is open.
TEST_F(Favourite, PostedCtrlDOpensOneDialogAtATime) {
    GamePage page(L"ovn-test-stack");
    ASSERT_TRUE(page.frame);
    InFolder(L"ovn-test-stack.url");
    HWND view = page.frame->GameView()->hwnd();

    // Watches from a thread timer, which runs inside whichever modal loop is
    // innermost: the most dialogs open at once, and, once no Ctrl+D is left in
    // the queue, every one of them is cancelled.
    static int s_most = 0;
    static HWND s_view = nullptr;
    static bool s_done = false;
    s_most = 0;
    s_view = view;
    s_done = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
        std::vector<HWND> open;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                wchar_t text[64] = {};
                GetWindowTextW(h, text, 64);
                if (IsWindowVisible(h) && std::wstring(text) == L"\u6dfb\u52a0\u6536\u85cf")
                    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&open));
        s_most = std::max(s_most, static_cast<int>(open.size()));
        MSG pending;
        if (open.empty() || PeekMessageW(&pending, s_view, WM_CHAR, WM_CHAR, PM_NOREMOVE))
            return;
        s_done = true;
        for (HWND dlg : open)
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    for (int i = 0; i < 10; ++i)
        PostMessageW(view, WM_CHAR, 4, 0x00200001);
    MSG first{};
    ASSERT_TRUE(PeekMessageW(&first, view, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_TRUE(fw::App::PreTranslate(first));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(s_done);
    EXPECT_EQ(s_most, 1) << "favourite dialogs stacked";
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, view, WM_CHAR, WM_CHAR, PM_NOREMOVE)) << "a Ctrl+D outlived the dialog";

}
