// A computer without the Flash plug-in's version key: the start asks whether to
// install a newer one; "是" opens its download page in the browser and ends, "否"
// goes on to the launcher. Wine's own iexplore.exe is the browser here (the
// shell finds it in the system folder before anything a test could put in its
// place): the test reads the address from its command line, then ends it.
#include <gtest/gtest.h>
#include <winternl.h>

#include "tests/e2e/life_support.h"

using namespace life;

namespace {

constexpr wchar_t kFlashKey[] = L"SOFTWARE\\Macromedia\\FlashPlayer";
constexpr wchar_t kQuestion[] = L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?";

// Another process's command line, read from its process parameters.
std::wstring CommandLineOf(DWORD pid) {
    using QueryFn = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    fw::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || !process || query(process.get(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0)
        return {};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!ReadProcessMemory(process.get(), basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process.get(), peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
        return {};
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process.get(), parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length,
                           nullptr))
        return {};
    return line;
}

// Ends a browser and waits until it is gone.
void EndBrowser(DWORD pid) {
    if (fw::Handle h{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)}) {
        TerminateProcess(h.get(), 0);
        WaitForSingleObject(h.get(), 5000);
    }
}

// The browsers that process parent started, by their command lines; ended.
// A browser is taken only once its command line can be read: until then it is
// still starting, and a browser ended that early has been seen to run on (on
// screen, under the tests that follow, holding the test's output open).
std::vector<std::wstring> TakeBrowsers(DWORD parent) {
    std::vector<std::wstring> lines;
    for (const ProcessEntry& p : ProcessesNamed(L"iexplore.exe"))
        if (p.parent == parent) {
            std::wstring line = CommandLineOf(p.pid);
            if (line.empty())
                continue;
            lines.push_back(std::move(line));
            EndBrowser(p.pid);
        }
    return lines;
}

// Every browser in this test's Wine prefix, once each has started.
void EndAllBrowsers() {
    WaitFor([] {
        for (const ProcessEntry& p : ProcessesNamed(L"iexplore.exe"))
            if (CommandLineOf(p.pid).empty())
                return false;
        return true;
    }, 10s);
    for (const ProcessEntry& p : ProcessesNamed(L"iexplore.exe"))
        EndBrowser(p.pid);
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
    }
    void TearDown() override {
        EndAllCopies();
        EndAllBrowsers();
        if (m_hadKey)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kFlashKey, L"CurrentVersion", REG_SZ, m_version.c_str(),
                            static_cast<DWORD>((m_version.size() + 1) * sizeof(wchar_t)));
    }

    bool m_hadKey = false;
    std::wstring m_version;
};

TEST_F(FlashQuestionE2e, YesOpensTheDownloadPageNoGoesOn) {
    {
        Process p;
        ASSERT_TRUE(p.Start(L"/OvnD"));
        HWND ask = WaitForBox(p.Id(), kQuestion, 30s);
        ASSERT_NE(ask, nullptr) << "no question without the plug-in's key";
        const DWORD pid = p.Id();
        ASSERT_TRUE(PressBoxButton(ask, L"是"));
        std::vector<std::wstring> browsers;
        EXPECT_TRUE(WaitFor([&] { return !(browsers = TakeBrowsers(pid)).empty(); }, 20s)) << "no browser started";
        const std::wstring page = L"http://" + Environment::Get().portal + L"/go/getflash/";
        ASSERT_EQ(browsers.size(), 1u);
        EXPECT_NE(browsers[0].find(L" " + page), std::wstring::npos) << "the browser was asked for something else: "
                                                               << std::string(browsers[0].begin(), browsers[0].end());
        EXPECT_EQ(p.Wait(20s), 0u);
        EXPECT_TRUE(FindWindows({.pid = pid, .title = L"QuenraOrvane", .visibleOnly = true}).empty());
    }
    {
        Process p;
        ASSERT_TRUE(p.Start(L"/OvnD"));
        HWND ask = WaitForBox(p.Id(), kQuestion, 30s);
        ASSERT_NE(ask, nullptr);
        ASSERT_TRUE(PressBoxButton(ask, L"否"));
        // The launcher comes up; no browser was started.
        EXPECT_NE(WaitForWindow({.pid = p.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 30s), nullptr);
        EXPECT_TRUE(TakeBrowsers(p.Id()).empty());
        EXPECT_TRUE(p.Running());
    }
}

}  // namespace
