// A copy of the program in a download folder next to DLLs somebody left there,
// named like libraries the program or the system loads: none of them may run.
#include <gtest/gtest.h>

#include "tests/e2e/life_support.h"

using namespace life;

namespace {

std::wstring PlantedDll() {
    const std::wstring exe = Environment::Get().exePath;  // ...\build\win64\Ovn.exe
    return exe.substr(0, exe.rfind(L'\\')) + L"\\tests\\e2e\\ovn_plant.dll";
}

TEST(PlantedDll, NoDllBesideTheProgramRuns) {
    const std::wstring folder = Environment::Get().stateDir + L"\\planted";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"\\Ovn.exe";
    ASSERT_TRUE(CopyOver(Environment::Get().exePath, exe));
    // The libraries the program loads (its imports and what it loads at run
    // time) and a few the system loads for them.
    const wchar_t* names[] = {L"dbghelp.dll", L"wininet.dll", L"msimg32.dll", L"gdiplus.dll",  L"winmm.dll",
                              L"shell32.dll", L"ole32.dll",   L"oleaut32.dll", L"shlwapi.dll", L"comctl32.dll",
                              L"version.dll", L"uxtheme.dll", L"urlmon.dll",   L"iertutil.dll", L"dwmapi.dll",
                              L"cryptbase.dll", L"rsaenh.dll", L"secur32.dll", L"winhttp.dll", L"userenv.dll",
                              L"profapi.dll", L"mpr.dll",     L"netapi32.dll", L"wtsapi32.dll", L"windowscodecs.dll"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(CopyOver(PlantedDll(), folder + L"\\" + name)) << "cannot plant";
        DeleteFileW((folder + L"\\" + name + L".planted").c_str());
    }

    // Wine prefers its own DLLs to any beside a program; told to prefer those as
    // Windows does, it would run every one the program took from its folder.
    wchar_t overrides[512] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
    std::wstring names_n;
    for (const wchar_t* name : names) {
        std::wstring base(name);
        names_n += (names_n.empty() ? L"" : L",") + base.substr(0, base.size() - 4);
    }
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (names_n + L"=n,b;" + overrides).c_str());
    // The removal's question: the program is up, its libraries loaded.
    Process p;
    const bool started = p.Start(exe, L"/uninst");
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides);
    ASSERT_TRUE(started);
    HWND ask = WaitForBox(p.Id(), L"确定要移除 QuenraOrvane极速登录器吗？", 30s);
    EXPECT_NE(ask, nullptr) << "the program did not come up";
    if (ask)
        PressBoxButton(ask, L"否");
    EXPECT_EQ(p.Wait(20s), 0u);

    for (const wchar_t* name : names)
        EXPECT_FALSE(Exists(folder + L"\\" + name + L".planted"))
            << "the planted " << std::string(name, name + wcslen(name)) << " ran";
}

}  // namespace
