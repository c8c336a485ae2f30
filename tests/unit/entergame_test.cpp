#include "gamepage/entergame.h"

#include <gtest/gtest.h>

using ovn::gamepage::GameLauncherPath;
using ovn::gamepage::IsEnterGameUrl;
using ovn::gamepage::ParseEnterGame;

namespace {
const wchar_t kHome[] = L"http://www.quenra.com/";
}

TEST(EnterGame, ReadsTagAndDownloadUrl) {
    auto cmd = ParseEnterGame(L"app://entergame|ovn|http://dl.quenra.com/Ovn.exe", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->gameTag, L"Ovn");
    EXPECT_EQ(cmd->downloadUrl, L"http://dl.quenra.com/Ovn.exe");
    EXPECT_TRUE(cmd->downloadUrlOpenable);

    // Only the first '|' separates; the URL may hold more.
    cmd = ParseEnterGame(L"app://entergame|Sky2|https://x.quenra.com/a?b=1|2", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->gameTag, L"Sky2");
    EXPECT_EQ(cmd->downloadUrl, L"https://x.quenra.com/a?b=1|2");
    EXPECT_TRUE(cmd->downloadUrlOpenable);

    // A slash the browser appends is dropped from the tag.
    cmd = ParseEnterGame(L"app://entergame|ovn/", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->gameTag, L"Ovn");
}

TEST(EnterGame, DownloadUrlDefaultsAndEmptyText) {
    auto cmd = ParseEnterGame(L"app://entergame|ovn", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->downloadUrl, kHome);
    EXPECT_TRUE(cmd->downloadUrlOpenable);

    cmd = ParseEnterGame(L"app://entergame|ovn|", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->downloadUrl, L"");
    EXPECT_FALSE(cmd->downloadUrlOpenable);
}

TEST(EnterGame, OnlyWebUrlsMayGoToTheShell) {
    for (const wchar_t* url : {L"app://entergame|ovn|file:///C:/Windows/system32/calc.exe",
                               L"app://entergame|ovn|C:\\Windows\\notepad.exe",
                               L"app://entergame|ovn|javascript:alert(1)", L"app://entergame|ovn|http://",
                               L"app://entergame|ovn|http:/x", L"app://entergame|ovn|\\\\server\\share\\x.exe",
                               L"app://entergame|ovn|http://a b/"}) {
        auto cmd = ParseEnterGame(url, kHome);
        ASSERT_TRUE(cmd) << url;
        EXPECT_FALSE(cmd->downloadUrlOpenable) << url;
    }
    auto cmd = ParseEnterGame(L"app://entergame|ovn|HTTPS://Quenra.com:8080/d", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_TRUE(cmd->downloadUrlOpenable);
}

TEST(EnterGame, TagMustBeLettersAndDigits) {
    for (const wchar_t* url : {L"app://entergame|", L"app://entergame||http://x/", L"app://entergame|..\\..\\evil",
                               L"app://entergame|a.b", L"app://entergame|C:evil", L"app://entergame|ov n",
                               L"app://entergame|\x4e2d\x6587", L"app://entergame|%2e%2e",
                               L"app://entergame|///"}) {
        EXPECT_FALSE(ParseEnterGame(url, kHome)) << url;
        EXPECT_TRUE(IsEnterGameUrl(url)) << url;  // still cancelled by the caller
    }
    EXPECT_FALSE(ParseEnterGame(L"app://entergame|" + std::wstring(65, L'a'), kHome));
    EXPECT_TRUE(ParseEnterGame(L"app://entergame|" + std::wstring(64, L'a'), kHome));

    // Only a small first letter is raised; digits and capitals stay as they are.
    EXPECT_EQ(ParseEnterGame(L"app://entergame|9dragons", kHome)->gameTag, L"9dragons");
    EXPECT_EQ(ParseEnterGame(L"app://entergame|OVN", kHome)->gameTag, L"OVN");
}

TEST(EnterGame, MarkerRecognition) {
    EXPECT_TRUE(IsEnterGameUrl(L"app://entergame|ovn"));
    EXPECT_FALSE(IsEnterGameUrl(L"app://loadgame|x"));
    EXPECT_FALSE(IsEnterGameUrl(L"http://svc.quenra.com/webgame.htm"));
    EXPECT_FALSE(IsEnterGameUrl(L"APP://ENTERGAME|ovn"));  // the hall writes it in small letters
    EXPECT_FALSE(ParseEnterGame(L"http://x/", kHome));
    // The text after the marker is read wherever the marker stands.
    auto cmd = ParseEnterGame(L"http://x/?go=app://entergame|ovn|http://d/", kHome);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->gameTag, L"Ovn");
    EXPECT_EQ(cmd->downloadUrl, L"http://d/");
}

TEST(EnterGame, LauncherPath) {
    EXPECT_EQ(GameLauncherPath(L"C:\\ProgramData\\Quenra\\GameLogin", L"Ovn"),
              L"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe");
    EXPECT_EQ(GameLauncherPath(L"C:\\GL\\", L"Sky"), L"C:\\GL\\Sky.exe");
}
