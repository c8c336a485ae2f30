// What the program takes from newer systems at run time, and the XP ways beside
// them, which the system here never takes by itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "common/newer_windows.h"
#include "framework/handles.h"
#include "process/process.h"

TEST(NewerWindows, TheXpWaysGiveWhatTheNewerCallsGive) {
    // The tick count: the XP way's follows the system's.
    const unsigned long long before = ovn::xp::TickCount64();
    const unsigned long long newer = ovn::TickCount64();
    const unsigned long long after = ovn::xp::TickCount64();
    // Read in turn from one clock: in that order (the XP way carries only what
    // it has seen, so the low halves are compared).
    EXPECT_LE(before, after);
    EXPECT_LE(static_cast<DWORD>(before), static_cast<DWORD>(newer));
    EXPECT_LE(static_cast<DWORD>(newer), static_cast<DWORD>(after));

    // A process's program: this one, by either way.
    const std::wstring self = ovn::ExecutablePath();
    EXPECT_EQ(_wcsicmp(ovn::ProcessImagePath(GetCurrentProcessId()).c_str(), self.c_str()), 0);
    EXPECT_EQ(_wcsicmp(ovn::xp::ProcessImagePath(GetCurrentProcessId()).c_str(), self.c_str()), 0);
    EXPECT_EQ(ovn::xp::ProcessImagePath(0xFFFFFFF0u), L"");
    EXPECT_EQ(ovn::ProcessIdOf(GetCurrentProcess()), GetCurrentProcessId());
}

TEST(NewerWindows, ReadsARegistryNumberOnlyWhenItIsOne) {
    const wchar_t* key = L"Software\\OvnTests\\NewerWindows";
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr), ERROR_SUCCESS);
    const DWORD number = 7;
    const wchar_t text[] = L"7";
    RegSetValueExW(raw, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegSetValueExW(raw, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegSetValueExW(raw, L"Short", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 2);
    RegCloseKey(raw);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, key, L"Number"), 7u);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\OvnTests\\NewerWindows\\", L"Number"), 7u);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, key, L"Text"), std::nullopt);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, key, L"Short"), std::nullopt);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, key, L"Missing"), std::nullopt);
    EXPECT_EQ(ovn::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\OvnTests\\None", L"Number"), std::nullopt);
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OvnTests");
}

TEST(NewerWindows, SetsAttributesThroughAHandle) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"ovn attributes test.txt";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    fw::FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr));
    ASSERT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    {
        fw::FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        EXPECT_TRUE(ovn::SetAttributesByHandle(file.get(), FILE_ATTRIBUTE_NORMAL));
    }
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_FALSE(ovn::SetAttributesByHandle(INVALID_HANDLE_VALUE, FILE_ATTRIBUTE_NORMAL));
    DeleteFileW(path.c_str());
}
