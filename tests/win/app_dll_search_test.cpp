// The crash-dump writer loads DbgHelp from the system folder, never a copy that
// somebody left beside the program. Wine prefers its own DLLs to any beside a
// program; the check runs in a child of this test told to prefer them as
// Windows does.
#include <windows.h>

#include <objidl.h>  // before gdiplus.h, which needs its property types
#include <gdiplus.h>
#include <mmsystem.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "app/crash_dump.h"

namespace {

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}
std::wstring OwnFolder() {
    std::wstring p = OwnPath();
    return p.substr(0, p.rfind(L'\\'));
}

TEST(DllSearch, CrashDumpIgnoresAPlantedDbgHelp) {
    const std::wstring folder = OwnFolder();
    const std::wstring planted = folder + L"\\DbgHelp.dll";
    const std::wstring marker = planted + L".planted";
    DeleteFileW(marker.c_str());
    ASSERT_TRUE(CopyFileW((folder + L"\\e2e\\ovn_plant.dll").c_str(), planted.c_str(), FALSE));
    // No other test of this program may find it there.
    struct Unplant {
        std::wstring dll, marker;
        ~Unplant() {
            DeleteFileW(dll.c_str());
            DeleteFileW(marker.c_str());
        }
    } unplant{planted, marker};

    // The child: this program, running only the part below, with DLLs beside a
    // program preferred to the system's.
    std::wstring cmd = L"\"" + OwnPath() + L"\" --gtest_brief=1 --gtest_filter=DllSearchChild.*";
    SetEnvironmentVariableW(L"OVN_DLL_SEARCH_CHILD", L"1");
    wchar_t overrides[512] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
    std::wstring childOverrides = std::wstring(L"dbghelp=n,b;") + overrides;
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", childOverrides.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides);
    SetEnvironmentVariableW(L"OVN_DLL_SEARCH_CHILD", nullptr);
    ASSERT_TRUE(started);
    CloseHandle(pi.hThread);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u) << "the child's checks failed";
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted DbgHelp ran";
}

TEST(DllSearchChild, WritesADumpWithTheSystemsDbgHelp) {
    if (!GetEnvironmentVariableW(L"OVN_DLL_SEARCH_CHILD", nullptr, 0))
        GTEST_SKIP() << "runs as the child of DllSearch";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dump = std::wstring(temp) + L"ovn_dll_search.dmp";
    HANDLE file = CreateFileW(dump.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ovn::WriteCrashDump(file, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    DeleteFileW(dump.c_str());
    EXPECT_GT(size.QuadPart, 0) << "the system's DbgHelp wrote no dump";
}

// The libraries loaded at their first call: until then each function's entry in
// the program's table points at a stub that loads the library. A stub the
// linker dropped leaves a null entry, and the first call jumps to nowhere.
TEST(DelayLoad, EveryDelayLoadedLibraryAnswersItsFirstCall) {
    const struct {
        const char* library;
        void* entry;
    } entries[] = {
        {"wininet", reinterpret_cast<void*>(&::InternetCrackUrlW)},
        {"msimg32", reinterpret_cast<void*>(&::AlphaBlend)},
        {"gdiplus", reinterpret_cast<void*>(&Gdiplus::GdiplusStartup)},
        {"winmm", reinterpret_cast<void*>(&::timeGetTime)},
        {"shell32", reinterpret_cast<void*>(&::SHGetFolderPathW)},
        {"ole32", reinterpret_cast<void*>(&::CoTaskMemFree)},
        {"oleaut32", reinterpret_cast<void*>(&::SysStringLen)},
        {"shlwapi", reinterpret_cast<void*>(&::PathFindFileNameW)},
    };
    for (const auto& e : entries)
        EXPECT_NE(e.entry, nullptr) << e.library << ": a call would jump to address 0";
    for (const auto& e : entries)
        if (!e.entry)
            return;
    EXPECT_STREQ(::PathFindFileNameW(L"a\\b.txt"), L"b.txt");
    BSTR text = ::SysAllocString(L"four");
    EXPECT_EQ(::SysStringLen(text), 4u);
    ::SysFreeString(text);
    wchar_t folder[MAX_PATH] = {};
    EXPECT_EQ(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    ::CoTaskMemFree(nullptr);
    ::timeGetTime();
}

}  // namespace
