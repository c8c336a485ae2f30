// The game download dialog as a screen reader reads it, through the system's
// accessibility client: its frame's close button, its text buttons, its
// progress bar with its percentage and its percent label.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <vector>

#include "access_test_support.h"
#include "downloads/down_game_dlg.h"
#include "res/resource.h"

namespace {

struct Reading {
    const char* control;
    accesstest::Read read;
};
std::vector<Reading> g_read;
ovn::downloads::CDownGameDlg* g_dialog = nullptr;

// Inside the dialog's own loop: reads its controls once, then closes it.
void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR, DWORD) {
    HWND h = g_dialog ? g_dialog->hwnd() : nullptr;
    if (!h || !IsWindowVisible(h) || !g_read.empty())
        return;
    HWND bar = GetDlgItem(h, IDC_DOWNGAME_BAR);
    g_read.push_back({"download close", accesstest::ReadWindow(g_dialog->m_btnClose.hwnd())});
    g_read.push_back({"download OK", accesstest::ReadWindow(GetDlgItem(h, IDOK))});
    g_read.push_back({"download cancel", accesstest::ReadWindow(GetDlgItem(h, IDCANCEL))});
    g_read.push_back({"download bar", accesstest::ReadWindow(bar)});
    SendMessageW(bar, PBM_SETPOS, 40, 0);
    g_read.push_back({"download bar at 40", accesstest::ReadWindow(bar)});
    g_read.push_back({"download percent", accesstest::ReadWindow(GetDlgItem(h, IDC_DOWNGAME_LABEL))});
    PostMessageW(h, WM_CLOSE, 0, 0);
}

}  // namespace

TEST(DownloadAccess, EveryControlIsReadByItsNameAndRole) {
    CoInitialize(nullptr);
    {
        // No tag: nothing is fetched, the dialog stays until closed.
        ovn::downloads::CDownGameDlg dlg(L"");
        g_dialog = &dlg;
        g_read.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ReadAndClose);
        dlg.DoModal(nullptr);
        KillTimer(nullptr, timer);
        g_dialog = nullptr;
    }
    CoUninitialize();
    ASSERT_EQ(g_read.size(), 6u);
    for (const Reading& r : g_read)
        accesstest::PrintRow(r.control, r.read);
    EXPECT_EQ(g_read[0].read.name, L"关闭");
    EXPECT_EQ(g_read[0].read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(g_read[1].read.name, L"确定");
    EXPECT_EQ(g_read[1].read.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(g_read[1].read.state & STATE_SYSTEM_UNAVAILABLE) << "OK waits for the download";
    EXPECT_EQ(g_read[2].read.name, L"取消");
    EXPECT_EQ(g_read[3].read.role, ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(g_read[3].read.value, L"0%");
    EXPECT_EQ(g_read[4].read.value, L"40%");
    EXPECT_EQ(g_read[5].read.role, ROLE_SYSTEM_STATICTEXT);
}
