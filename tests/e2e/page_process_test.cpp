// A game-hall process seen from outside, with the test as its launcher: it asks
// to be adopted, ends when the launcher window is gone, and a crash leaves one
// dump next to its executable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/protocol.h"
#include "tests/e2e/driver/driver.h"

using namespace e2e;

namespace {

// Stands in for the launcher window and records the adoption requests.
class FakeLauncher {
public:
    FakeLauncher() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &FakeLauncher::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnE2eFakeLauncher";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"fake launcher", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                               800, 600, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FakeLauncher() {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> adoptions;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<FakeLauncher*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && msg == ovn::kMsgAdoptFrame) {
            self->adoptions.emplace_back(w, l);
            return 0;
        }
        return DefWindowProcW(h, msg, w, l);
    }
};

std::wstring HallArgs(HWND launcher) {
    return L"/gmhall /" + std::to_wstring(static_cast<long long>(reinterpret_cast<INT_PTR>(launcher)));
}

TEST(PageProcessE2e, HallAsksForAdoptionAndEndsWithItsLauncher) {
    FakeLauncher launcher;
    Process hall;
    ASSERT_TRUE(hall.Start(HallArgs(launcher.hwnd)));
    ASSERT_TRUE(WaitFor([&] { return !launcher.adoptions.empty(); }, 20s)) << "no adoption request";
    HWND frame = reinterpret_cast<HWND>(launcher.adoptions.front().first);
    EXPECT_EQ(launcher.adoptions.front().second, 1) << "a hall asks with lParam 1";
    EXPECT_TRUE(WaitFor([&] { return IsChild(launcher.hwnd, frame); }));
    EXPECT_EQ(WindowProcessId(frame), hall.Id());

    DestroyWindow(launcher.hwnd);
    auto t0 = GetTickCount();
    EXPECT_EQ(hall.Wait(10s), 0u);
    printf("hall ended %lu ms after its launcher window went\n", GetTickCount() - t0);
}

// The dump is written next to the executable, so the test runs its own copy.
TEST(PageProcessE2e, CrashLeavesExactlyOneDumpNextToTheExe) {
    std::wstring dir = Environment::Get().stateDir + L"\\crash";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring exe = dir + L"\\Ovn.exe";
    DeleteFileW((dir + L"\\Ovn.dmp").c_str());
    ASSERT_TRUE(CopyFileW(Environment::Get().exePath.c_str(), exe.c_str(), FALSE));

    FakeLauncher launcher;
    Process hall;
    ASSERT_TRUE(hall.Start(exe, HallArgs(launcher.hwnd)));
    ASSERT_TRUE(WaitFor([&] { return !launcher.adoptions.empty(); }, 20s));

    // Two faults in the process: the first writes the dump, the second must not
    // write another (and the process ends either way).
    HANDLE target = OpenProcess(PROCESS_ALL_ACCESS, FALSE, hall.Id());
    ASSERT_NE(target, nullptr);
    auto bad = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(0x10));
    HANDLE t1 = CreateRemoteThread(target, nullptr, 0, bad, nullptr, 0, nullptr);
    ASSERT_NE(t1, nullptr);
    CloseHandle(t1);
    CloseHandle(target);
    EXPECT_NE(hall.Wait(20s), STILL_ACTIVE) << "the crashed process did not end";

    int dumps = 0;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"\\*.dmp").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ++dumps;
            EXPECT_STREQ(fd.cFileName, L"Ovn.dmp");
            EXPECT_GT(fd.nFileSizeLow, 0u) << "empty dump";
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    EXPECT_EQ(dumps, 1);
}

}  // namespace
