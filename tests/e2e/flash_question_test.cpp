// A computer without the Flash plug-in's version key: the start asks whether to
// install a newer one; "是" opens its download page in the browser (a stand-in
// that records the address) and ends, "否" goes on to the launcher.
#include <gtest/gtest.h>

#include "tests/e2e/life_support.h"

using namespace life;

namespace {

constexpr wchar_t kFlashKey[] = L"SOFTWARE\\Macromedia\\FlashPlayer";
constexpr wchar_t kQuestion[] = L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?";
constexpr wchar_t kAppPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

std::wstring Here() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.rfind(L'\\'));
}

class FlashQuestionE2e : public ::testing::Test {
protected:
    void SetUp() override {
        EndAllCopies();
        // The machine without the key (the prefix has it for every other test).
        wchar_t value[64] = {};
        DWORD size = sizeof value;
        m_hadKey = RegGetValueW(HKEY_LOCAL_MACHINE, kFlashKey, L"CurrentVersion", RRF_RT_REG_SZ, nullptr, value,
                                &size) == ERROR_SUCCESS;
        m_version = value;
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kFlashKey, L"CurrentVersion");
        // The system's browser is the stand-in: the shell finds iexplore.exe there.
        const std::wstring browser = Here() + L"\\browser\\ovn_stand_in_browser.exe";
        ASSERT_TRUE(Exists(browser));
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAppPath, nullptr, REG_SZ, browser.c_str(),
                                  static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        m_record = Environment::Get().stateDir + L"\\browser-record.txt";
        DeleteFileW(m_record.c_str());
        SetEnvironmentVariableW(L"OVN_BROWSER_RECORD", m_record.c_str());
    }
    void TearDown() override {
        EndAllCopies();
        if (m_hadKey)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFlashKey, L"CurrentVersion", REG_SZ, m_version.c_str(),
                            static_cast<DWORD>((m_version.size() + 1) * sizeof(wchar_t)));
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPath);
        SetEnvironmentVariableW(L"OVN_BROWSER_RECORD", nullptr);
    }
    std::wstring Recorded() const {
        const std::string bytes = FileBytes(m_record);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    bool m_hadKey = false;
    std::wstring m_version;
    std::wstring m_record;
};

TEST_F(FlashQuestionE2e, YesOpensTheDownloadPageNoGoesOn) {
    {
        Process p;
        ASSERT_TRUE(p.Start(L"/OvnD"));
        HWND ask = WaitForBox(p.Id(), kQuestion, 30s);
        ASSERT_NE(ask, nullptr) << "no question without the plug-in's key";
        ASSERT_TRUE(PressBoxButton(ask, L"是"));
        EXPECT_EQ(p.Wait(20s), 0u);
        const std::wstring page = L"http://" + Environment::Get().portal + L"/go/getflash/";
        EXPECT_TRUE(WaitFor([&] { return Recorded().find(page) != std::wstring::npos; }, 20s))
            << "the browser was not asked for the download page";
        EXPECT_TRUE(FindWindows({.pid = p.Id(), .title = L"QuenraOrvane", .visibleOnly = true}).empty());
    }
    {
        Process p;
        ASSERT_TRUE(p.Start(L"/OvnD"));
        HWND ask = WaitForBox(p.Id(), kQuestion, 30s);
        ASSERT_NE(ask, nullptr);
        const std::wstring before = Recorded();
        ASSERT_TRUE(PressBoxButton(ask, L"否"));
        // The launcher comes up; no page was asked for.
        EXPECT_NE(WaitForWindow({.pid = p.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 30s), nullptr);
        EXPECT_EQ(Recorded(), before);
        EXPECT_TRUE(p.Running());
    }
}

}  // namespace
