// The add-account prompt with a real launcher window run on the test thread and
// stand-in page processes: the link drops it under itself, its answers reach the
// launcher, and it goes away unanswered when the player turns elsewhere.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher_test_support.h"
#include "process/process.h"
#include "launcher/add_acc_dlg.h"
#include "settings_test_support.h"
#include "skin_test_support.h"

using launchertest::PumpUntil;
using launchertest::PumpUntilIdle;
using launchertest::StandInChild;
using launchertest::StrangerWindow;

namespace {

// Every answer the launcher takes off its queue, whoever posted it.
std::vector<WPARAM>* g_answers = nullptr;
LRESULT CALLBACK RecordAnswers(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && g_answers && msg->message == ovn::kMsgOtherAccount)
        g_answers->push_back(msg->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class AddAccountPrompt : public launchertest::LauncherHost {
protected:
    void SetUp() override {
        LauncherHost::SetUp();
        g_answers = &answers;
        hook = SetWindowsHookExW(WH_GETMESSAGE, &RecordAnswers, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(hook);
        Start("arrive=auto\n");
        ASSERT_NE(WaitForPages(1), nullptr);
        link = GetDlgItem(launcher, IDC_LNK_OTHER_ACCOUNT);
    }
    void TearDown() override {
        LauncherHost::TearDown();
        UnhookWindowsHookEx(hook);
        g_answers = nullptr;
    }
    // Clicks the link and waits for the prompt.
    HWND OpenPrompt() {
        SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_LNK_OTHER_ACCOUNT, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        HWND prompt = dlg.m_addAccDlg.hwnd();
        if (!prompt || !PumpUntil([&] { return IsWindowVisible(prompt) != FALSE; }))
            return nullptr;
        return prompt;
    }
    void Click(HWND prompt, int id) {
        SendMessageW(prompt, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(prompt, id)));
    }
    std::wstring PageLine(std::size_t count) const {
        return L"/newgm /" + std::to_wstring(ovn::HandleToArgument(launcher)) + L" /" + std::to_wstring(count);
    }

    HWND link = nullptr;
    HHOOK hook = nullptr;
    std::vector<WPARAM> answers;
};

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

TEST_F(AddAccountPrompt, DropsUnderTheLinkAndItsAnswersReachTheLauncher) {
    MoveWindow(launcher, 40, 30, 900, 600, TRUE);
    HWND prompt = OpenPrompt();
    ASSERT_NE(prompt, nullptr);
    const RECT l = ScreenRect(link), p = ScreenRect(prompt);
    EXPECT_EQ(p.right, l.right);
    EXPECT_EQ(p.top, l.bottom);
    EXPECT_EQ(p.right - p.left, 284);  // the frame image's size
    EXPECT_EQ(p.bottom - p.top, 150);
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), launcher);

    EXPECT_EQ(Text(prompt), L"登录其他账号");
    EXPECT_EQ(Text(GetDlgItem(prompt, IDC_ADDACC_TEXT)),
              L"在当前窗口新增标签页？\r\n点击\"是\"，在当前窗口登录(支持3个标签页)；\r\n点击\"否\"，在新窗口中登录。");
    for (int id : {IDOK, IDCANCEL}) {
        const RECT b = ScreenRect(GetDlgItem(prompt, id));
        EXPECT_EQ(b.right - b.left, 57) << id;
        EXPECT_EQ(b.bottom - b.top, 23) << id;
        EXPECT_GE(b.left, p.left) << id;
        EXPECT_LE(b.bottom, p.bottom) << id;
    }
    // The skinned label draws the question itself, with its line spacing.
    EXPECT_EQ(dlg.m_addAccDlg.m_stcText.m_strText, Text(GetDlgItem(prompt, IDC_ADDACC_TEXT)));
    EXPECT_EQ(dlg.m_addAccDlg.m_stcText.m_nLineSpacing, 5);
    EXPECT_EQ(dlg.m_addAccDlg.m_btnYes.m_strText, L"是");
    EXPECT_EQ(dlg.m_addAccDlg.m_btnNo.m_strText, L"否");
    // Never dragged: its caption band is client area like the rest.
    EXPECT_EQ(SendMessageW(prompt, WM_NCHITTEST, 0, MAKELPARAM(p.left + 100, p.top + 10)), HTCLIENT);

    // How it looks, when asked for (OVN_TEST_SHOTS names a folder).
    skintest::PumpIdle();
    settingstest::SaveShot(prompt, L"add-account-prompt.png");

    // "是": another page in this window.
    Click(prompt, IDOK);
    EXPECT_FALSE(IsWindowVisible(prompt));
    ASSERT_TRUE(child.WaitForLines(2));
    EXPECT_EQ(launchertest::WithoutToken(child.Lines()[1]), PageLine(1));
    EXPECT_EQ(answers, std::vector<WPARAM>{1});

    // The same prompt comes back on the next click, still under the link.
    ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() == 2; }, 15000));
    MoveWindow(launcher, 60, 50, 1000, 640, TRUE);
    ASSERT_EQ(OpenPrompt(), prompt);
    EXPECT_EQ(ScreenRect(prompt).right, ScreenRect(link).right);
    EXPECT_EQ(ScreenRect(prompt).top, ScreenRect(link).bottom);

    // "否": a new launcher, the program without arguments.
    Click(prompt, IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(prompt));
    ASSERT_TRUE(child.WaitForLines(3));
    EXPECT_EQ(child.Lines()[2], L"");
    EXPECT_EQ(answers, (std::vector<WPARAM>{1, 0}));
}

TEST_F(AddAccountPrompt, TurningElsewhereHidesItUnanswered) {
    // Back to the launcher, as by a click elsewhere in its window.
    HWND prompt = OpenPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_EQ(GetActiveWindow(), prompt);
    SetActiveWindow(launcher);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(prompt); }));

    // To another window altogether.
    ASSERT_EQ(OpenPrompt(), prompt);
    ASSERT_EQ(GetActiveWindow(), prompt);
    StrangerWindow other;
    ShowWindow(other.hwnd(), SW_SHOW);
    SetActiveWindow(other.hwnd());
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(prompt); }));

    // Esc puts it away too, with no vote for a new window.
    ASSERT_EQ(OpenPrompt(), prompt);
    PostMessageW(GetFocus() ? GetFocus() : prompt, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(prompt); }));

    PumpUntilIdle();
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(child.Lines().size(), 1u);
    EXPECT_FALSE(dlg.PendingProcess());
}
