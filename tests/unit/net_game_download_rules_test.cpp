#include "net/game_download_rules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ovn::net;

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

namespace {

std::vector<std::uint8_t> Image(std::uint16_t machine, std::uint16_t characteristics, std::uint32_t peAt = 0x80) {
    std::vector<std::uint8_t> b(0x200, 0);
    b[0] = 'M';
    b[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        b[0x3C + i] = static_cast<std::uint8_t>(peAt >> (8 * i));
    if (peAt + 24 <= b.size()) {
        b[peAt] = 'P';
        b[peAt + 1] = 'E';
        b[peAt + 4] = static_cast<std::uint8_t>(machine);
        b[peAt + 5] = static_cast<std::uint8_t>(machine >> 8);
        b[peAt + 22] = static_cast<std::uint8_t>(characteristics);
        b[peAt + 23] = static_cast<std::uint8_t>(characteristics >> 8);
    }
    return b;
}

}  // namespace

TEST(GameDownload, OnlyAProgramOfThisMachineIsRunnable) {
    EXPECT_TRUE(IsRunnableImage(Image(0x8664, 0x0022)));
    EXPECT_TRUE(IsRunnableImage(Image(0x014C, 0x0102)));
    EXPECT_FALSE(IsRunnableImage(Image(0xAA64, 0x0022)));  // another machine
    EXPECT_FALSE(IsRunnableImage(Image(0x8664, 0x2022)));  // a library
    EXPECT_FALSE(IsRunnableImage(Image(0x8664, 0x0020)));  // not marked executable
    EXPECT_FALSE(IsRunnableImage(Image(0x8664, 0x0022, 0x1F0)));  // PE header past the bytes read
    EXPECT_FALSE(IsRunnableImage(Image(0x8664, 0x0022, 0x10)));   // PE header inside the DOS header
    const char html[] = "<html><body>not found</body></html>";
    EXPECT_FALSE(IsRunnableImage(std::vector<std::uint8_t>(html, html + sizeof html)));
    EXPECT_FALSE(IsRunnableImage({}));
}
