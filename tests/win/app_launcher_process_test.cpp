// The real executable started as the launcher: its window appears out of sight,
// starts its first page process, and a close request while no page has arrived
// ends the launcher and the page process without a question.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "framework/handles.h"
#include "launcher_test_support.h"
#include "process/process.h"
#include "res/resource.h"

namespace {

std::wstring OvnExe() {
    std::wstring tests = ovn::ExecutablePath();  // ...\tests\ovn_win_tests.exe
    std::wstring dir = tests.substr(0, tests.rfind(L'\\'));
    return dir.substr(0, dir.rfind(L'\\')) + L"\\Ovn.exe";
}

struct FoundWindow {
    DWORD pid;
    HWND hwnd = nullptr;
};

HWND LauncherWindowOf(DWORD pid) {
    FoundWindow f{pid};
    EnumWindows(
        [](HWND h, LPARAM lp) CALLBACK -> BOOL {
            auto* f = reinterpret_cast<FoundWindow*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            wchar_t cls[16] = {}, title[32] = {};
            GetClassNameW(h, cls, 16);
            GetWindowTextW(h, title, 32);
            // Visible: shown by its modal run once it is initialised.
            if (owner == f->pid && std::wstring(cls) == L"#32770" && std::wstring(title) == L"QuenraOrvane" &&
                GetDlgItem(h, IDC_BTN_HIDE) && IsWindowVisible(h)) {
                f->hwnd = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

std::vector<DWORD> ChildrenOf(DWORD pid) {
    std::vector<DWORD> children;
    fw::Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap.get(), &entry); ok; ok = Process32NextW(snap.get(), &entry))
        if (entry.th32ParentProcessID == pid)
            children.push_back(entry.th32ProcessID);
    return children;
}

}  // namespace

TEST(AppLauncherProcess, ClosingTheEmptyLauncherEndsItAndItsPendingPage) {
    const std::wstring exe = OvnExe();
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "Ovn.exe is not built next to the tests";

    fw::Handle process;
    ASSERT_TRUE(ovn::StartProgramWithArguments(exe, {L"/OvnD"}, &process));
    const DWORD pid = GetProcessId(process.get());
    HWND launcher = nullptr;
    ASSERT_TRUE(launchertest::PumpUntil([&] { return (launcher = LauncherWindowOf(pid)) != nullptr; }, 20000));
    RECT r = {};
    GetWindowRect(launcher, &r);
    EXPECT_EQ(r.right - r.left, 1);
    EXPECT_EQ(r.bottom - r.top, 1);

    // The first page process is the launcher's child; keep a handle to see it end.
    std::vector<DWORD> children;
    ASSERT_TRUE(launchertest::PumpUntil([&] { return !(children = ChildrenOf(pid)).empty(); }, 10000));
    fw::Handle page(OpenProcess(SYNCHRONIZE, FALSE, children[0]));
    ASSERT_TRUE(page);

    PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(page.get(), 15000), WAIT_OBJECT_0);
    if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
}
