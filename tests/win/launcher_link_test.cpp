// The launcher's "登录其他账号" link, on the real launcher window once its first
// page has arrived: a skinned link with its image and the hand cursor.
#include <gtest/gtest.h>
#include <windows.h>

#include "launcher/kelvor3_dlg.h"
#include "launcher_test_support.h"
#include "skin/static_ex.h"
#include "skin_control_host.h"

using launchertest::PumpUntil;
using launchertest::PumpUntilIdle;
using launchertest::StandInChild;

TEST(LauncherLink, IsASkinnedLinkWithTheHandCursor) {
    StandInChild child{L"link", 20};
    ASSERT_TRUE(child.Ready());
    child.Plan("claim=acct1\narrive=auto\n");
    ovn::CKelvor3Dlg dlg;
    dlg.SetChildProgram(child.Program());
    ASSERT_TRUE(dlg.CreateModeless());
    ShowWindow(dlg.hwnd(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() == 1; }, 15000));

    HWND hwnd = GetDlgItem(dlg.hwnd(), IDC_LNK_OTHER_ACCOUNT);
    auto* link = dynamic_cast<ovn::skin::CStaticEx*>(fw::Window::FromHandle(hwnd));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_strText, L"登录其他账号");
    EXPECT_TRUE(link->m_bLink);
    EXPECT_TRUE(link->m_bUnderline);
    EXPECT_EQ(link->m_crText, RGB(255, 255, 255));
    EXPECT_EQ(link->m_nImageWidth, 14);  // image 142
    EXPECT_EQ(link->m_nImageHeight, 16);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_NOTIFY);

    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    // Drawn over the caption band: its white text is there.
    const skintest::Pixels shot = skintest::Shot(hwnd);
    skintest::KeepShot(shot, "launcher-link", 4);
    int white = 0;
    for (int y = 0; y < shot.h; ++y)
        for (int x = 20; x < shot.w; ++x)
            white += shot.at(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 10);

    dlg.Destroy();
    PumpUntilIdle();
}
