// The notice pop-up with a real launcher and its page: a few seconds after the
// first page arrives, the portal's notice comes up at the bottom-right of the
// work area; it comes back after its wait (the test fires that timer itself);
// a click opens its link in the browser (a stand-in that records it) and the
// same notice does not come back at the next start.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/e2e/driver/login.h"
#include "tests/e2e/driver/stand_in_browser.h"
#include "tests/e2e/life_support.h"

using namespace life;

namespace {

constexpr UINT_PTR kTimerNoticeWait = 2;

class NoticeE2e : public ::testing::Test {
protected:
    void SetUp() override {
        dir = Environment::Get().stateDir + L"\\notice";
        CreateDirectoryW(dir.c_str(), nullptr);
        exe = dir + L"\\Ovn.exe";
        ASSERT_TRUE(CopyOver(Environment::Get().exePath, exe));
        DeleteFileW((dir + L"\\Statistic.ini").c_str());
        record = dir + L"\\record.txt";
        DeleteFileW(record.c_str());
        PortalRequests(true);
    }
    void TearDown() override {
        Quit();
        HttpGet(L"/__notice?form=off");
    }

    // A launcher of the copy with its first page logged in; its window.
    HWND StartWithPage() {
        ScopedEnvironment recordTo(L"OVN_RECORD_FILE", record);
        if (!launcher.Start(exe, L"/OvnD"))
            return nullptr;
        HWND wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 20s);
        if (!wnd || !LogInFirstPage(wnd))
            return nullptr;
        return wnd;
    }
    void Quit() { EXPECT_TRUE(QuitLauncher(launcher)); }
    // The launcher's visible pop-up whose text label reads text.
    HWND VisiblePopup(const std::wstring& text) {
        for (HWND h : FindWindows({.pid = launcher.Id(), .className = L"#32770", .visibleOnly = true}))
            if (HWND label = GetDlgItem(h, IDC_POP_TEXT); label && WindowText(label) == text)
                return h;
        return nullptr;
    }
    // The launcher's pop-up, shown or not.
    bool AnyPopup() {
        for (HWND h : FindWindows({.pid = launcher.Id(), .className = L"#32770"}))
            if (GetDlgItem(h, IDC_POP_TEXT))
                return true;
        return false;
    }
    std::wstring Setting(const wchar_t* key) {
        wchar_t text[1024] = {};
        GetPrivateProfileStringW(L"Ovn", key, L"", text, 1024, (dir + L"\\Statistic.ini").c_str());
        return text;
    }

    std::wstring dir, exe, record;
    Process launcher;
};

TEST_F(NoticeE2e, ShownTwiceThenClickedOpensItsLinkAndNeverComesBack) {
    StandInBrowser browser(RecorderPath());
    const std::wstring link = L"http://" + Environment::Get().portal + L"/notice/news.htm?from=notice";
    ASSERT_NE(HttpGet(L"/__notice?form=text&showings=2&text=Hello&link=" + link), "");
    HWND wnd = StartWithPage();
    ASSERT_NE(wnd, nullptr);

    HWND popup = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (popup = VisiblePopup(L"Hello...")) != nullptr; }, 30s))
        << "no notice came up";
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT placed = WindowRect(popup);
    EXPECT_EQ(placed.right, work.right);
    EXPECT_EQ(placed.bottom, work.bottom);
    EXPECT_EQ(placed.right - placed.left, 250);  // the text-only frame
    EXPECT_EQ(placed.bottom - placed.top, 167);
    EXPECT_EQ(GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    SaveScreenshot(dir + L"\\notice.png", popup);
    EXPECT_EQ(Setting(L"PopEnable"), L"1");

    // After its 11 seconds it hides; the forty minutes are the test's to end.
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(popup); }, 30s));
    EXPECT_TRUE(IsWindow(popup)) << "with showings 2 it waits for its second appearance";
    PostMessageW(popup, WM_TIMER, kTimerNoticeWait, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(popup) != FALSE; }));

    ASSERT_TRUE(ClickWindow(GetDlgItem(popup, IDC_POP_TEXT)));
    EXPECT_TRUE(WaitFor([&] { return ReadFileText(record).find("/notice/news.htm?from=notice") != std::string::npos; },
                        20s))
        << "the link did not reach the browser: " << ReadFileText(record);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(popup); }));
    EXPECT_EQ(Setting(L"PopEnable"), L"0");
    Quit();

    // The next start fetches the same notice and shows nothing.
    PortalRequests(true);
    wnd = StartWithPage();
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(WaitFor([] { return CountRequests("GET /notice/ovn.txt") == 1; }, 30s));
    // The pop-up was made (hidden) before it asked; once it has closed
    // itself, it has decided, and it never showed.
    EXPECT_TRUE(WaitFor([&] { return !AnyPopup(); })) << "the pop-up stayed";
    EXPECT_EQ(Setting(L"PopEnable"), L"0");
}

}  // namespace
