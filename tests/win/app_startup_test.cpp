// Start-up services against the real system: the Windows argument rules of the
// child command lines, process starts, the Flash Player registry check and the
// crash dump.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/crash_dump.h"
#include "app/startup.h"
#include "launcher/child_command.h"
#include "launcher_test_support.h"
#include "process/command_line.h"
#include "process/process.h"

namespace {

using Args = std::vector<std::wstring>;

Args SystemSplit(const std::wstring& line) {
    Args args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    for (int i = 0; argv && i < count; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Keeps HKLM's Flash Player value as it was around a test that changes it.
class FlashVersionValue {
public:
    FlashVersionValue() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Macromedia\\FlashPlayer", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr);
        DWORD bytes = sizeof m_saved;
        m_had = m_key && RegQueryValueExW(m_key, L"CurrentVersion", nullptr, &m_type,
                                          reinterpret_cast<BYTE*>(m_saved), &bytes) == ERROR_SUCCESS;
        m_savedBytes = bytes;
    }
    ~FlashVersionValue() {
        if (m_had)
            RegSetValueExW(m_key, L"CurrentVersion", 0, m_type, reinterpret_cast<BYTE*>(m_saved), m_savedBytes);
        else if (m_key)
            RegDeleteValueW(m_key, L"CurrentVersion");
        if (m_key)
            RegCloseKey(m_key);
    }
    bool Ready() const { return m_key != nullptr; }
    void Set(const void* data, DWORD bytes, DWORD type = REG_SZ) {
        RegSetValueExW(m_key, L"CurrentVersion", 0, type, static_cast<const BYTE*>(data), bytes);
    }
    void SetText(const std::wstring& text) {
        Set(text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void Remove() { RegDeleteValueW(m_key, L"CurrentVersion"); }

private:
    HKEY m_key = nullptr;
    bool m_had = false;
    DWORD m_type = REG_SZ;
    wchar_t m_saved[600] = {};
    DWORD m_savedBytes = 0;
};

}  // namespace

TEST(AppCommandLine, SplitterAgreesWithTheSystem) {
    const std::wstring lines[] = {
        L"\"C:\\Program Files\\Quenra\\Ovn.exe\" /newgm /1234 /0",
        L"C:\\Ovn.exe /gmhall /-5",
        L"\"C:\\dir\\\" tail",
        L"p a\\\\b \\\"c \\\\\"d e\"",
        L"p \"\" x \"a\"\"b\" c",
        L"p \"\"\"a b\"\"\" c",
        L"p\ta\t\"b c\"  ",
        L"p a\"b c\"d \\\\\\\"x",
    };
    for (const auto& line : lines)
        EXPECT_EQ(ovn::SplitCommandLine(line), SystemSplit(line)) << std::string(line.begin(), line.end());

    // What the launcher writes for its children reads back as exactly its arguments.
    const std::wstring program = L"C:\\Program Files (x86)\\Quenra Games\\Ovn.exe";
    for (const Args& args : {ovn::launcher::GamePageArguments(1234, 2, 0xabc), ovn::launcher::GameHallArguments(-7),
                             Args{L"a b", L"", L"q\"uote", L"end\\", L"sp ace\\"}}) {
        auto line = ovn::BuildChildCommandLine(program, args);
        ASSERT_TRUE(line);
        Args expected{program};
        expected.insert(expected.end(), args.begin(), args.end());
        EXPECT_EQ(SystemSplit(*line), expected);
    }
}

TEST(AppStartup, HandleArgumentsAndFolders) {
    HWND desktop = GetDesktopWindow();
    EXPECT_EQ(ovn::HandleFromArgument(ovn::HandleToArgument(desktop)), desktop);
    EXPECT_EQ(ovn::HandleFromArgument(0), nullptr);
    EXPECT_EQ(ovn::GameLoginFolder(), L"C:\\ProgramData\\Quenra\\GameLogin");
    std::wstring exe = ovn::ExecutablePath();
    EXPECT_FALSE(exe.empty());
    EXPECT_EQ(GetFileAttributesW(exe.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(AppStartup, ChildProcessesRunIdleWithExactlyTheirArguments) {
    // A real program (this one, told to run no test) for the priority class.
    // Known gap: Wine starts every process at normal priority whatever the
    // creation flag says, so the class is only checked on Windows.
    fw::Handle self;
    ASSERT_TRUE(ovn::StartProgramWithArguments(ovn::ExecutablePath(), {L"--gtest_filter=None.None"}, &self));
    if (!RunningUnderWine()) {
        EXPECT_EQ(GetPriorityClass(self.get()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    }
    EXPECT_EQ(WaitForSingleObject(self.get(), 30000), WAIT_OBJECT_0);

    // A program in a folder with a blank receives exactly the page's arguments.
    launchertest::StandInChild child(L"page", 0);
    ASSERT_TRUE(child.Ready());
    ASSERT_TRUE(ovn::StartProgramWithArguments(child.Program(), ovn::launcher::GamePageArguments(4321, 1, 0x5a)));
    ASSERT_TRUE(child.WaitForLines(1));
    EXPECT_EQ(child.Lines()[0], L"/newgm /4321 /1 /000000000000005a");

    // Without arguments; failures are reported to the caller and nothing else.
    launchertest::StandInChild plain(L"plain", 0);
    ASSERT_TRUE(ovn::StartProgramWithArguments(plain.Program(), {}));
    ASSERT_TRUE(plain.WaitForLines(1));
    EXPECT_EQ(plain.Lines()[0], L"");
    EXPECT_FALSE(ovn::StartProgramWithArguments(L"C:\\no such folder\\none.exe", {}));
    ovn::StartSelfProcess(L"C:\\no such folder\\none.exe");  // silent
    ovn::StartSelfProcess(std::wstring(400, L'x').c_str());   // too long: silent, nothing cut
}

TEST(AppStartup, FlashPlayerCheckReadsTheRegistry) {
    FlashVersionValue value;
    ASSERT_TRUE(value.Ready());
    value.SetText(L"11,2,202,235");
    EXPECT_TRUE(ovn::IsFlashPlayerRecent());
    value.SetText(L"10,3,102,64");
    EXPECT_FALSE(ovn::IsFlashPlayerRecent());
    value.SetText(L"10,3,183,5");
    EXPECT_TRUE(ovn::IsFlashPlayerRecent());
    value.Remove();
    EXPECT_FALSE(ovn::IsFlashPlayerRecent());

    // The type is not checked; a value stored without its terminator is read
    // within its own bytes.
    const wchar_t raw[] = {L'1', L'2', L',', L'0'};
    value.Set(raw, sizeof raw, REG_BINARY);
    EXPECT_TRUE(ovn::IsFlashPlayerRecent());
    // Longer than the 520-byte buffer: too low, not cut.
    std::wstring huge = L"99," + std::wstring(300, L'1');
    value.SetText(huge);
    EXPECT_FALSE(ovn::IsFlashPlayerRecent());
    std::wstring fits = L"99," + std::wstring(255, L'1');  // 259 characters and the terminator
    value.SetText(fits);
    EXPECT_TRUE(ovn::IsFlashPlayerRecent());
}

TEST(AppCrashDump, WritesAMiniDumpAndCarriesOn) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"ovn crash test.dmp";
    {
        fw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        ASSERT_TRUE(file);
        ovn::WriteCrashDump(file.get(), nullptr);  // returns: the state is dumped, the thread goes on
    }
    std::ifstream in(path.c_str(), std::ios::binary);
    char signature[4] = {};
    in.read(signature, 4);
    EXPECT_EQ(std::string(signature, 4), "MDMP");
    in.close();
    DeleteFileW(path.c_str());

    // The filter writes into the player's folder once, named for the role and the
    // process, after making room among this program's older dumps; the second
    // crash ends quietly.
    ovn::DumpWritten = false;
    ovn::PrepareCrashDumps(L"test");
    const std::wstring folder = ovn::PlayerFolderPath();
    ASSERT_FALSE(folder.empty());
    ovn::MakePlayerFolder(folder);
    const std::wstring dump = folder + L"ovn_win_tests-test-" + std::to_wstring(GetCurrentProcessId()) + L".dmp";
    DeleteFileW(dump.c_str());
    std::vector<std::wstring> older;
    for (int i = 1; i <= 6; ++i) {
        older.push_back(folder + L"ovn_win_tests-page-" + std::to_wstring(i) + L".dmp");
        fw::FileHandle f(CreateFileW(older.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        FILETIME when{static_cast<DWORD>(i) * 10000000u, 0x01D00000u};
        SetFileTime(f.get(), nullptr, nullptr, &when);
    }
    const std::wstring foreign = folder + L"Other-page-1.dmp";
    fw::FileHandle(CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers = {&record, &context};
    EXPECT_EQ(ovn::CrashFilter(&pointers), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_TRUE(ovn::DumpWritten);
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(GetFileAttributesExW(dump.c_str(), GetFileExInfoStandard, &info));
    EXPECT_GT(info.nFileSizeLow, 0u);
    // The two oldest of ours went; the newer four and another program's stay.
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(GetFileAttributesW(older[i].c_str()) != INVALID_FILE_ATTRIBUTES, i >= 2) << i;
    EXPECT_NE(GetFileAttributesW(foreign.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ovn::CrashFilter(&pointers), EXCEPTION_EXECUTE_HANDLER);
    for (const std::wstring& path : older)
        DeleteFileW(path.c_str());
    DeleteFileW(foreign.c_str());
    DeleteFileW(dump.c_str());
    ovn::DumpWritten = false;
}
