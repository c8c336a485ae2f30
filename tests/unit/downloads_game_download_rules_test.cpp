#include "downloads/game_download_rules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ovn::downloads;

TEST(GameDownload, TagsPathsAndFiles) {
    EXPECT_TRUE(IsGameTag(L"Abc"));
    EXPECT_TRUE(IsGameTag(L"Ovn2"));
    for (const wchar_t* bad : {L"", L"..\\x", L"a/b", L"a b", L"a.exe", L"\u4e2d"})
        EXPECT_FALSE(IsGameTag(bad));
    EXPECT_FALSE(IsGameTag(std::wstring(65, L'a')));
    EXPECT_EQ(GameConfigPath(L"Abc"), L"/update/ConfigAbc.htm");
    EXPECT_EQ(GameFile(L"C:\\t\\", L"Abc", L".exe"), L"C:\\t\\Abc.exe");
    EXPECT_EQ(GameFile(L"C:\\p\\", L"Abc", L".ini"), L"C:\\p\\Abc.ini");
    EXPECT_STREQ(GameDownloadTitle(true), L"下载完成");
    EXPECT_STREQ(GameDownloadTitle(false), L"下载失败");
}

TEST(GameDownload, InstallersAreForThePlayersMachines) {
    EXPECT_TRUE(IsInstallerMachine(0x014C));
    EXPECT_TRUE(IsInstallerMachine(0x8664));
    EXPECT_FALSE(IsInstallerMachine(0xAA64));
    EXPECT_FALSE(IsInstallerMachine(0));
}
