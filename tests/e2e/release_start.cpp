// The shipped build (OVN_RELEASE_EXE names it), started as the desktop shortcut
// starts it, on a machine that cannot reach the portal: it must come up with its
// login screen and stay responsive, and Windows must read its version as 3.0.0.1.
// The release trees' checks run these suites; the e2e tier of a test tree does not.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver/driver.h"
#include "tests/e2e/life_support.h"

using namespace e2e;
using namespace life;

namespace {

std::wstring ReleaseExe() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"OVN_RELEASE_EXE", path, MAX_PATH);
    return path;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// Answers a message within the time a player waits before calling it hung.
bool Responds(HWND wnd) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

// The program's crash dumps in the player's folder.
std::vector<std::wstring> Dumps() { return FilesIn(PlayerFolder(), L"Ovn-*.dmp"); }

TEST(ReleaseBuild, ComesUpWithItsLoginScreenWithoutThePortal) {
    const std::wstring shipped = ReleaseExe();
    ASSERT_TRUE(Exists(shipped)) << "OVN_RELEASE_EXE names no program: " << Narrow(shipped);
    // A folder of its own, so that what it leaves is its own.
    const std::wstring folder = Environment::Get().stateDir + L"\\release-start";
    CreateDirectoryW(Environment::Get().stateDir.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& dump : Dumps())
        DeleteFileW((PlayerFolder() + L"\\" + dump).c_str());
    const std::wstring exe = folder + L"\\Ovn.exe";
    ASSERT_TRUE(CopyOver(shipped, exe));

    Process launcher;
    ASSERT_TRUE(launcher.Start(exe, L"/OvnD")) << "error " << launcher.StartError();
    // The update check and the start ping find no portal; the launcher comes up anyway.
    HWND wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 60s);
    ASSERT_NE(wnd, nullptr) << "the launcher window did not show";
    // The login artwork shows. Its page window is made over it at once but shown
    // only once a page has come: with no portal none comes (nor, with the browser
    // control, any page at all under Wine), and the artwork's panel stays empty.
    // (On Windows the control turns the failed navigation into an error page of
    // its own, which shows.)
    HWND artwork = nullptr, pageWindow = nullptr;
    WaitFor([&] {
        for (HWND h : FindWindows({.visibleOnly = true}))
            if (GetWindow(h, GW_OWNER) == wnd && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED))
                artwork = h;
        if (artwork)
            for (HWND h : FindWindows({.pid = WindowProcessId(artwork)}))
                if (GetWindow(h, GW_OWNER) == artwork && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED))
                    pageWindow = h;
        return pageWindow != nullptr;
    }, 60s);
    EXPECT_TRUE(SaveScreenshot(Environment::Get().stateDir + L"\\release-login.png"));
    ASSERT_NE(artwork, nullptr) << "the login artwork did not show";
    ASSERT_NE(pageWindow, nullptr) << "no login page window over the artwork";
    const DWORD page = WindowProcessId(pageWindow);
    EXPECT_NE(page, launcher.Id()) << "the login runs in a page process of its own";

    // What the page window holds: the browser control's windows.
    std::wstring inside;
    for (HWND child = GetWindow(pageWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        inside += ClassName(child) + L" ";
    std::printf("login page window (%ls): %ls\n", IsWindowVisible(pageWindow) ? L"shown" : L"hidden, no page came",
                inside.c_str());
    // Under Wine the release shows pages with the plain engine (the browser
    // control has no HTML engine there) unless OVN_WEB_ENGINE asks for the control.
    wchar_t asked[16] = {};
    GetEnvironmentVariableW(L"OVN_WEB_ENGINE", asked, 16);
    const bool plain = inside.find(L"OvnPlainWeb") != std::wstring::npos;
    EXPECT_EQ(plain, _wcsicmp(asked, L"control") != 0)
        << "the login page window holds " << Narrow(inside) << " with OVN_WEB_ENGINE=" << Narrow(asked);

    EXPECT_TRUE(Responds(wnd)) << "the launcher hangs";
    EXPECT_TRUE(Responds(artwork)) << "the login artwork hangs";
    EXPECT_TRUE(Responds(pageWindow)) << "the login page window hangs";
    EXPECT_TRUE(launcher.Running());
    EXPECT_TRUE(IsWindow(pageWindow)) << "the page process ended";

    // Leaving the login ends its page process, cleanly; then the launcher is closed.
    PostMessageW(artwork, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    fw::Handle pageProcess(OpenProcess(SYNCHRONIZE, FALSE, page));
    if (pageProcess) {
        EXPECT_EQ(WaitForSingleObject(pageProcess.get(), 30000), WAIT_OBJECT_0) << "the page process did not end";
    }
    if (launcher.Running()) {
        PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？", 3s))
            PressBoxButton(box, L"是");
    }
    EXPECT_EQ(launcher.Wait(30s), 0u);
    EXPECT_TRUE(Dumps().empty()) << "a crash dump was written";
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return L"(no translation)";
    wchar_t query[128];
    swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language, translations->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &size) || !value)
        return L"(none)";
    return value;
}

TEST(ReleaseBuild, WindowsReadsItsVersionAs3001) {
    const std::wstring exe = ReleaseExe();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << Narrow(exe);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"3.0.0.1");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"3.0.0.1");
}

}  // namespace
