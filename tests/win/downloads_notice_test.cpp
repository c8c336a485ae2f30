// The notice pop-up in this process against the local portal: its three forms
// and their pictures, pictures it must not decode, a last day gone by, what
// closing, clicking and merely seeing it leave in Statistic.ini, and which
// links it hands to the browser (a stand-in that records what it is given).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "access_test_support.h"
#include "browser_test_support.h"
#include "common/portal.h"
#include "launcher_test_support.h"
#include "downloads/http.h"
#include "downloads/pop_info_dlg.h"
#include "process/process.h"
#include "res/resource.h"
#include "skin_test_support.h"
#include "tests/e2e/driver/stand_in_browser.h"

using ovn::downloads::CPopInfoDlg;

namespace {

bool Near(COLORREF got, COLORREF want, int tolerance = 8) {
    return std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
           std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
           std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
}

// A query value: everything but ASCII letters and digits as %XX of its UTF-8.
std::wstring Escaped(const std::wstring& value) {
    std::wstring out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, bytes.data(), n, nullptr, nullptr);
    bytes.pop_back();
    for (unsigned char c : bytes) {
        if (isalnum(c)) {
            out += static_cast<wchar_t>(c);
        } else {
            wchar_t hex[4];
            swprintf(hex, 4, L"%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::wstring Text(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

class NoticePopup : public ::testing::Test {
protected:
    void SetUp() override {
        webtest::EnsurePortalAddress();
        ovn::downloads::NoticeShowings = 1;
        ini = ovn::LocalSettingsPath();
        Forget();
        host = webtest::MakeHostWindow(400, 300);
        ShowWindow(host, SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        Publish(L"form=off");
        popups.clear();
        DestroyWindow(host);
        Forget();
    }
    void Forget() {
        WritePrivateProfileStringW(L"Ovn", L"PopInfo", nullptr, ini.c_str());
        WritePrivateProfileStringW(L"Ovn", L"PopEnable", nullptr, ini.c_str());
    }
    static void Publish(const std::wstring& query) {
        wchar_t answer[1024] = {};
        ASSERT_TRUE(ovn::downloads::HttpGetToMemory(ovn::portal::ServiceUrl(L"/__notice?" + query), answer, false));
    }
    std::wstring Setting(const wchar_t* key) {
        wchar_t text[1024] = {};
        GetPrivateProfileStringW(L"Ovn", key, L"", text, 1024, ini.c_str());
        return text;
    }
    // Opens a pop-up as the launcher does and lets it settle once its fetch
    // has come back.
    CPopInfoDlg& Open() {
        popups.push_back(std::make_unique<CPopInfoDlg>());
        CPopInfoDlg& dlg = *popups.back();
        EXPECT_TRUE(dlg.OpenOnce(host));
        EXPECT_TRUE(launchertest::PumpUntil([&] { return dlg.m_bDecided; })) << "the notice never came back";
        launchertest::PumpUntilIdle();
        return dlg;
    }
    static bool Visible(CPopInfoDlg& dlg) { return dlg.hwnd() && IsWindowVisible(dlg.hwnd()); }
    static SIZE Size(HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    // The colour at the centre of a label, as the pop-up shows it.
    static COLORREF Centre(CPopInfoDlg& dlg, UINT id) {
        RECT label{}, window{};
        GetWindowRect(GetDlgItem(dlg.hwnd(), static_cast<int>(id)), &label);
        GetWindowRect(dlg.hwnd(), &window);
        const skintest::Pixels px = skintest::CaptureWindow(dlg.hwnd());
        return px.at((label.left + label.right) / 2 - window.left, (label.top + label.bottom) / 2 - window.top);
    }

    std::wstring ini;
    HWND host = nullptr;
    std::vector<std::unique_ptr<CPopInfoDlg>> popups;
};

TEST_F(NoticePopup, TheThreeFormsAndTheirPictures) {
    Publish(L"form=both&picture=jpg&id=1");
    CPopInfoDlg& both = Open();
    ASSERT_TRUE(Visible(both));
    EXPECT_EQ(Size(both.hwnd()).cx, 250);
    EXPECT_EQ(Size(both.hwnd()).cy, 191);
    EXPECT_EQ(both.m_stcPicture.m_nImageWidth, 160) << "the JPEG is in the picture label";
    EXPECT_TRUE(Near(Centre(both, IDC_POP_PICTURE), RGB(200, 40, 40)));
    EXPECT_EQ(Text(both.m_stcText.hwnd()), L"Hello...");
    EXPECT_EQ(Text(both.m_stcTitle.hwnd()), L"Orvane news");
    EXPECT_TRUE(IsWindowVisible(both.m_stcLink.hwnd()));
    EXPECT_FALSE(GetWindowLongPtrW(both.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(both.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button";

    Publish(L"form=picture&picture=png&id=2");
    CPopInfoDlg& picture = Open();
    ASSERT_TRUE(Visible(picture));
    EXPECT_EQ(Size(picture.hwnd()).cx, 160);
    EXPECT_EQ(Size(picture.hwnd()).cy, 212);
    EXPECT_TRUE(GetWindowLongPtrW(picture.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(picture.m_stcText.m_nImageWidth, 160) << "the PNG is in the text label";
    EXPECT_TRUE(Near(Centre(picture, IDC_POP_TEXT), RGB(40, 160, 60)));
    EXPECT_FALSE(IsWindowVisible(picture.m_stcTitle.hwnd()));
    EXPECT_FALSE(IsWindowVisible(picture.m_stcLink.hwnd()));
    EXPECT_FALSE(IsWindowVisible(picture.m_stcPicture.hwnd()));

    Publish(L"form=text&id=3");
    CPopInfoDlg& text = Open();
    ASSERT_TRUE(Visible(text));
    EXPECT_EQ(Size(text.hwnd()).cx, 250);
    EXPECT_EQ(Size(text.hwnd()).cy, 167);
    EXPECT_FALSE(IsWindowVisible(text.m_stcPicture.hwnd()));
    EXPECT_EQ(Text(text.m_stcText.hwnd()), L"Hello...");
}

TEST_F(NoticePopup, APictureItMustNotDecodeIsLeftOutAndTheNoticeStillShows) {
    int id = 10;
    for (const wchar_t* picture : {L"big", L"bmp", L"missing"}) {
        Publish(L"form=both&picture=" + std::wstring(picture) + L"&id=" + std::to_wstring(++id));
        CPopInfoDlg& dlg = Open();
        EXPECT_TRUE(Visible(dlg)) << picture;
        EXPECT_EQ(dlg.m_stcPicture.m_nImageWidth, 0) << picture;
        EXPECT_EQ(Text(dlg.m_stcText.hwnd()), L"Hello...") << picture;
    }
}

TEST_F(NoticePopup, TheLauncherIsNeverKeptWaitingForIt) {
    // Opened against a notice that takes seconds to come, the pop-up returns at
    // once and the launcher's thread goes on (its keyboard hook must).
    Publish(L"form=text&id=50");
    wchar_t ok[1024] = {};
    ASSERT_TRUE(ovn::downloads::HttpGetToMemory(
        ovn::portal::ServiceUrl(L"/__misbehave?path=/notice/ovn.txt&mode=slow&chunk=4"), ok, false));
    auto dlg = std::make_unique<CPopInfoDlg>();
    ASSERT_TRUE(dlg->OpenOnce(host));
    EXPECT_FALSE(dlg->m_bDecided) << "the fetch ran on the launcher's thread";
    EXPECT_FALSE(IsWindowVisible(dlg->hwnd()));
    // Closing the launcher meanwhile ends the fetch; nothing is waited for.
    dlg.reset();
    ovn::downloads::HttpGetToMemory(ovn::portal::ServiceUrl(L"/__misbehave?path=/notice/ovn.txt&mode=off"), ok, false);
}

TEST_F(NoticePopup, ALastDayGoneByShowsNothingAndWritesNothing) {
    Publish(L"form=text&last=past");
    CPopInfoDlg& past = Open();
    EXPECT_FALSE(past.m_bShown);
    EXPECT_TRUE(launchertest::PumpUntil([&] { return past.hwnd() == nullptr; })) << "it did not close itself";
    EXPECT_EQ(Setting(L"PopInfo"), L"");
    EXPECT_EQ(Setting(L"PopEnable"), L"");
    // A last day that is not a date is no day to show it on either.
    Publish(L"form=text&last=someday");
    EXPECT_FALSE(Open().m_bShown);
    // Today is still a day to show it.
    Publish(L"form=text&last=today");
    CPopInfoDlg& today = Open();
    EXPECT_TRUE(Visible(today));
    EXPECT_EQ(Setting(L"PopEnable"), L"1");
}

TEST_F(NoticePopup, SeenItComesBackClosedItDoesNot) {
    // Shown twice without being touched: PopEnable stays "1", so it may come back.
    Publish(L"form=text&showings=2&id=20");
    CPopInfoDlg& seen = Open();
    ASSERT_TRUE(Visible(seen));
    PostMessageW(seen.hwnd(), WM_TIMER, ovn::downloads::kTimerNoticeShown, 0);
    launchertest::PumpUntilIdle();
    ASSERT_TRUE(seen.hwnd());
    EXPECT_FALSE(IsWindowVisible(seen.hwnd())) << "hidden until its next appearance";
    PostMessageW(seen.hwnd(), WM_TIMER, ovn::downloads::kTimerNoticeWait, 0);
    launchertest::PumpUntilIdle();
    EXPECT_TRUE(Visible(seen)) << "the second appearance";
    EXPECT_EQ(ovn::downloads::NoticeShowings, 2);
    PostMessageW(seen.hwnd(), WM_TIMER, ovn::downloads::kTimerNoticeShown, 0);
    launchertest::PumpUntilIdle();
    EXPECT_EQ(seen.hwnd(), nullptr) << "two appearances were asked for";
    EXPECT_EQ(Setting(L"PopEnable"), L"1");
    ovn::downloads::NoticeShowings = 1;
    EXPECT_TRUE(Visible(Open())) << "merely seen, it comes back at the next start";

    // Closed with the frame's button: gone for good.
    Publish(L"form=text&id=21");
    CPopInfoDlg& closed = Open();
    ASSERT_TRUE(Visible(closed));
    closed.RequestClose();
    launchertest::PumpUntilIdle();
    EXPECT_EQ(closed.hwnd(), nullptr);
    EXPECT_EQ(Setting(L"PopEnable"), L"0");
    EXPECT_FALSE(Open().m_bShown);
    // Minimised (how it closes itself) it is not marked seen.
    Publish(L"form=text&id=22");
    CPopInfoDlg& minimised = Open();
    PostMessageW(minimised.hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    launchertest::PumpUntilIdle();
    EXPECT_EQ(minimised.hwnd(), nullptr);
    EXPECT_EQ(Setting(L"PopEnable"), L"1");
}

TEST_F(NoticePopup, AClickOpensOnlyWebLinks) {
    launchertest::StandInChild browserProgram(L"browser", 0), probe(L"probe", 0);
    ASSERT_TRUE(browserProgram.Ready() && probe.Ready());
    e2e::StandInBrowser browser(browserProgram.Program());
    std::wstring fileUrl = L"file:///" + probe.Program();
    for (wchar_t& c : fileUrl)
        if (c == L'\\')
            c = L'/';
    // A local program and a file are never started, whatever the notice says.
    int id = 30;
    for (const std::wstring& link : {fileUrl, probe.Program(), std::wstring(L"cmd")}) {
        Publish(L"form=text&id=" + std::to_wstring(++id) + L"&link=" + Escaped(link));
        CPopInfoDlg& dlg = Open();
        ASSERT_TRUE(Visible(dlg));
        ASSERT_EQ(dlg.m_notice.link, link);
        HWND label = dlg.m_stcText.hwnd();
        SendMessageW(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_POP_TEXT, STN_CLICKED), reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(dlg.hwnd(), nullptr);
        EXPECT_EQ(Setting(L"PopEnable"), L"0") << "clicked is seen";
    }
    // A web page goes to the browser; once it is there, the others would be too.
    const std::wstring web = L"http://" + ovn::portal::ServiceHost() + L"/notice/news.htm";
    Publish(L"form=text&id=40&link=" + Escaped(web));
    CPopInfoDlg& dlg = Open();
    ASSERT_TRUE(Visible(dlg));
    SendMessageW(dlg.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_POP_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(dlg.m_stcLink.hwnd()));
    ASSERT_TRUE(browserProgram.WaitForLines(1));
    EXPECT_NE(browserProgram.Lines().front().find(web), std::wstring::npos);
    EXPECT_TRUE(probe.Lines().empty());
}

}  // namespace

TEST_F(NoticePopup, ItsCloseButtonAndLinkAreReadByName) {
    Publish(L"form=both&picture=jpg&id=7");
    CPopInfoDlg& dlg = Open();
    ASSERT_TRUE(Visible(dlg));
    const accesstest::Read close = accesstest::ReadWindow(dlg.m_btnClose.hwnd());
    const accesstest::Read link = accesstest::ReadWindow(dlg.m_stcLink.hwnd());
    accesstest::PrintRow("notice close", close);
    accesstest::PrintRow("notice link", link);
    EXPECT_EQ(close.name, L"关闭");
    EXPECT_EQ(close.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(link.name, L"详细>>");
    EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
}
