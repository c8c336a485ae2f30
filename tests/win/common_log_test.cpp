// The failure log's file: a process start that fails leaves one UTF-8 line with
// the process id and the Windows error; one that succeeds leaves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/startup.h"
#include "log_test_support.h"
#include "common/log.h"
#include "framework/handles.h"

namespace {

using logtest::LogFile;

std::wstring TestFolder() {
    std::wstring exe = ovn::ExecutablePath();
    return exe.substr(0, exe.rfind(L'\\'));
}

}  // namespace

TEST(CommonLog, FailedStartsLeaveTheirErrorAndSuccessLeavesNothing) {
    LogFile log;

    // A start that works (this program, told to run no test) writes nothing.
    fw::Handle child;
    ASSERT_TRUE(ovn::StartProgramWithArguments(ovn::ExecutablePath(), {L"--gtest_filter=None.None"}, &child));
    EXPECT_EQ(WaitForSingleObject(child.get(), 30000), WAIT_OBJECT_0);
    EXPECT_FALSE(log.Exists());

    // A program that is not there: the line has this process, the program, the
    // system's code 2, and the caller still reads that code afterwards.
    const std::wstring missing = TestFolder() + L"\\没有这个程序.exe";
    SetLastError(0);
    EXPECT_FALSE(ovn::StartProgramWithArguments(missing, {L"/x"}));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::vector<std::wstring> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    const std::wstring pid = L"[" + std::to_wstring(GetCurrentProcessId());
    EXPECT_NE(lines[0].find(pid), std::wstring::npos) << std::string(lines[0].begin(), lines[0].end());
    EXPECT_NE(lines[0].find(missing), std::wstring::npos);
    EXPECT_NE(lines[0].find(L": error 2"), std::wstring::npos);

    // Later lines are appended while someone else holds the file open to read it.
    {
        fw::FileHandle reader(CreateFileW(log.Path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        ovn::SetLogRole(L"launcher");
        ovn::StartSelfProcess(missing.c_str());
        ovn::LogFailureF(0, L"%ls refused %d", L"adoption", 7);
        ovn::SetLogRole(nullptr);
    }
    lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find(pid + L" launcher] cannot start"), std::wstring::npos);
    EXPECT_NE(lines[1].find(L": error 2"), std::wstring::npos);
    EXPECT_NE(lines[2].find(L"launcher] adoption refused 7"), std::wstring::npos);
    EXPECT_EQ(lines[2].find(L"error"), std::wstring::npos);
}
