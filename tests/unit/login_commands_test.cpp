#include "gamepage/login_commands.h"

#include <gtest/gtest.h>

#include "common/portal.h"

using namespace ovn::gamepage;

namespace {

// UTF-16 units as the Windows side hands them over, in every build.
std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring s;
    for (unsigned u : units)
        s += static_cast<wchar_t>(u);
    return s;
}

std::wstring Label(std::wstring_view url) {
    auto cmd = ParseLoadGame(url);
    return cmd ? cmd->record.Text() : L"<none>";
}

}  // namespace

TEST(LoginNavigation, CommandsFirstThenExternalLoginsThenPages) {
    const std::wstring qq = ovn::portal::ExternalLoginUrl(L"/qzone/redirectToAuthorize.do?");
    EXPECT_EQ(ClassifyLoginNavigation(L"app://loadgame|1服-a-b|http://g/"), LoginNavigation::Command);
    EXPECT_EQ(ClassifyLoginNavigation(L"app://anything"), LoginNavigation::Command);
    EXPECT_EQ(ClassifyLoginNavigation(L"app://x|" + qq), LoginNavigation::Command);
    EXPECT_EQ(ClassifyLoginNavigation(qq + L"which=1"), LoginNavigation::ExternalLogin);
    EXPECT_EQ(ClassifyLoginNavigation(ovn::portal::LoginPageUrl()), LoginNavigation::Proceed);
    // The prefix is case-sensitive: an upper-case one is an ordinary navigation.
    EXPECT_EQ(ClassifyLoginNavigation(L"APP://loadgame|1服-a-b|x"), LoginNavigation::Proceed);
    EXPECT_EQ(ClassifyLoginNavigation(L"App://exitgame"), LoginNavigation::Proceed);
}

TEST(LoginCommandWords, EightCharactersAfterTheSlashesExactly) {
    EXPECT_EQ(ReadLoginCommand(L"app://loadgame|1服-a-b|u"), LoginCommand::LoadGame);
    EXPECT_EQ(ReadLoginCommand(L"app://exitgame"), LoginCommand::ExitGame);
    EXPECT_EQ(ReadLoginCommand(L"app://exitgame/"), LoginCommand::ExitGame);  // the browser's slash
    EXPECT_EQ(ReadLoginCommand(L"app://minimize"), LoginCommand::Minimize);
    EXPECT_EQ(ReadLoginCommand(L"app://Minimize"), LoginCommand::Other);
    EXPECT_EQ(ReadLoginCommand(L"app://minimiz"), LoginCommand::Other);  // too short
    EXPECT_EQ(ReadLoginCommand(L"app://entergame|ovn"), LoginCommand::Other);
    EXPECT_EQ(ReadLoginCommand(L"app:/loadgame|x"), LoginCommand::Other);
    EXPECT_EQ(ReadLoginCommand(L"app://"), LoginCommand::Other);
    EXPECT_EQ(ReadLoginCommand(L"http://loadgame"), LoginCommand::Other);
}

TEST(LoadGame, ThePagesOwnExamples) {
    auto cmd = ParseLoadGame(L"app://loadgame|S3服-《x》abcd-alice|http://s3.quenra.com/ovn/game.htm?a=1|b");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->record, (AccountRecord{L"3", L"abcd", L"alice"}));
    EXPECT_EQ(cmd->record.Text(), L"3服-abcd-alice");
    EXPECT_EQ(cmd->gameUrl, L"http://s3.quenra.com/ovn/game.htm?a=1|b");

    EXPECT_EQ(Label(L"app://loadgame|12服-双线一区-bob|u"), L"12服-双线一区-bob");
    EXPECT_EQ(Label(L"app://loadgame|S1S2服-n-c|u"), L"12服-n-c");  // every capital S goes
    EXPECT_EQ(Label(L"app://loadgame|s7服-n-c|u"), L"s7服-n-c");     // a small one stays
    // Only the (up to) four characters after the first 》 name the server.
    EXPECT_EQ(Label(L"app://loadgame|5服-《新区》风云再起吧-c|u"), L"5服-风云再起-c");
    EXPECT_EQ(Label(L"app://loadgame|5服-《新区》风云-c|u"), L"5服-风云-c");
    EXPECT_EQ(Label(L"app://loadgame|5服-风云》-c|u"), L"5服--c");
}

TEST(LoadGame, DashesBelongToTheAccount) {
    EXPECT_EQ(Label(L"app://loadgame|3服-name-al-ice--x|u"), L"3服-name-al-ice--x");
    auto cmd = ParseLoadGame(L"app://loadgame|3服-name-al-ice--x|u");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->record.account, L"al-ice--x");
    // A server written with dashes ends at the first "服-" only.
    EXPECT_EQ(Label(L"app://loadgame|3-1服-n-a|u"), L"3-1服-n-a");
    // No '-' after the server: no server name, and the account is the whole text.
    EXPECT_EQ(Label(L"app://loadgame|3服-alice|u"), L"3服--3服-alice");
}

TEST(LoadGame, PercentEscapedUtf8IsDecodedBeforeSplitting) {
    // 服 = E6 9C 8D, 一 = E4 B8 80, 区 = E5 8C BA
    auto cmd = ParseLoadGame(L"app://loadgame|7%E6%9C%8D-%E4%B8%80%E5%8C%BA-al%2Dice|http://g/");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->record, (AccountRecord{L"7", L"一区", L"al-ice"}));
    // Small hex digits, and escapes mixed with characters taken as they are.
    EXPECT_EQ(Label(L"app://loadgame|7%e6%9c%8d-一区-张三%40qq.com|u"), L"7服-一区-张三@qq.com");
    // A four-byte character becomes a surrogate pair.
    EXPECT_EQ(DecodeAccountText(L"%F0%9F%98%80"), Units({0xD83D, 0xDE00}));
    // '+' is not a space in this unescaping.
    EXPECT_EQ(DecodeAccountText(L"a+b%41"), L"a+bA");
    // A text without '%' is taken unchanged.
    EXPECT_EQ(DecodeAccountText(L"1服-n-a+b"), L"1服-n-a+b");
}

TEST(LoadGame, MalformedEscapes) {
    // A '%' without two hex digits stays a '%'.
    EXPECT_EQ(DecodeAccountText(L"alice%"), L"alice%");
    EXPECT_EQ(DecodeAccountText(L"al%G1ice"), L"al%G1ice");
    EXPECT_EQ(DecodeAccountText(L"a%4"), L"a%4");
    EXPECT_EQ(Label(L"app://loadgame|1服-n-50%|u"), L"1服-n-50%");
    // Escapes that do not spell UTF-8 would become a replacement character, i.e.
    // another account: the command is ignored.
    for (const wchar_t* text : {L"1服-n-%E4%B8", L"1服-n-%E4%B8x", L"1服-n-%80", L"1服-n-%C0%AF",
                                L"1服-n-%ED%A0%80", L"1服-n-%F4%90%80%80", L"1服-n-%FF"}) {
        EXPECT_FALSE(DecodeAccountText(text)) << text;
        EXPECT_EQ(Label(std::wstring(L"app://loadgame|") + text + L"|u"), L"<none>") << text;
    }
    // An escaped NUL would end the label early and claim a shorter account.
    EXPECT_FALSE(ParseLoadGame(L"app://loadgame|1服-n-admin%00x|u"));
    EXPECT_FALSE(ParseLoadGame(L"app://loadgame|1服-n-a%0Ab|u"));
    // A lone surrogate is no account either.
    EXPECT_FALSE(DecodeAccountText(L"1服-n-" + Units({0xD83D}) + L"%41"));
    EXPECT_FALSE(DecodeAccountText(L"1服-n-" + Units({0xDE00})));
}

TEST(LoadGame, OverLongTextIsIgnoredNeverCut) {
    const std::wstring head = L"1服-n-";  // 1 + 3 + 1 + 1 + 1 = 7 bytes in UTF-8
    EXPECT_TRUE(DecodeAccountText(head + std::wstring(248, L'a')));   // 255 bytes
    EXPECT_FALSE(DecodeAccountText(head + std::wstring(249, L'a')));  // 256 bytes
    // The escaped form counts, though it unescapes to far less.
    std::wstring escaped = L"1%E6%9C%8D-n-";  // 13 bytes
    for (int i = 0; i < 80; ++i)
        escaped += L"%41";
    EXPECT_TRUE(DecodeAccountText(escaped + L"ab"));    // 255 bytes
    EXPECT_FALSE(DecodeAccountText(escaped + L"abc"));  // 256 bytes
    // A text whose 255-byte cut would fall inside a three-byte character is refused
    // whole, not shortened into another account.
    std::wstring cjk = head + std::wstring(82, L'张');  // 7 + 246 = 253 bytes
    EXPECT_TRUE(ParseLoadGame(L"app://loadgame|" + cjk + L"|u"));
    EXPECT_FALSE(ParseLoadGame(L"app://loadgame|" + cjk + L"张|u"));  // 256 bytes
    std::wstring cjkEscaped = L"1%E6%9C%8D-n-";
    for (int i = 0; i < 26; ++i)
        cjkEscaped += L"%E5%BC%A0";  // 13 + 26 * 9 = 247 bytes
    EXPECT_TRUE(ParseLoadGame(L"app://loadgame|" + cjkEscaped + L"|u"));
    EXPECT_FALSE(ParseLoadGame(L"app://loadgame|" + cjkEscaped + L"%E5%BC%A0|u"));  // 256 bytes
    // A record within the bound always fits the launcher's label.
    auto cmd = ParseLoadGame(L"app://loadgame|" + cjk + L"|u");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->record.account, std::wstring(82, L'张'));
}

TEST(LoadGame, NoServerOrNoAccountClaimsNothing) {
    for (const wchar_t* url : {
             L"app://loadgame|alice-bob|u",    // no "服-" at all
             L"app://loadgame|服-n-alice|u",    // nothing before it
             L"app://loadgame|SS服-n-alice|u",  // nothing but capital S before it
             L"app://loadgame|3服-n-|u",        // no account after the server name
             L"app://loadgame||u",              // empty account text
             L"app://loadgame|3服-n-alice",     // no second '|': no account text at all
             L"app://loadgame|",
             L"app://loadgame",
         })
        EXPECT_FALSE(ParseLoadGame(url)) << url;
    // The account text ends at the second '|'.
    EXPECT_EQ(SplitLoadGame(L"app://loadgame|3服-n-a|").accountText, L"3服-n-a");
    EXPECT_EQ(SplitLoadGame(L"app://loadgame|3服-n-a|http://x/|y").gameUrl, L"http://x/|y");
    auto cmd = ParseLoadGame(L"app://loadgame|3服-n-a|");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->gameUrl, L"");
    // Only a loadgame URL builds a record.
    EXPECT_FALSE(ParseLoadGame(L"app://exitgame|3服-n-a|u"));
}

TEST(LoadGame, ALabelReadsBackAsItsOwnRecord) {
    // The dropped 'S' would leave "1服-2" as the server; that label is also account
    // "x-acc" on server 1, so two accounts would share it.
    EXPECT_FALSE(ParseAccountText(L"1服S-2服-x-acc"));
    auto other = ParseAccountText(L"1服-2服-x-acc");
    ASSERT_TRUE(other);
    EXPECT_EQ(ParseAccountText(other->Text()), other);
}

TEST(LoadGame, RefusalMessageQuotesAccountAndServer) {
    EXPECT_EQ(DuplicateLoginMessage(AccountRecord{L"3", L"abcd", L"alice%s"}),
              L"账号 alice%s 已在 3服 登录，同一账号不能在一服重复登录");
}

TEST(LoadGame, ServerNameKeepsSurrogatePairsWhole) {
    // After 》: a, a pair, b, c — four characters, five units.
    std::wstring name = L"《x》a" + Units({0xD83D, 0xDE00}) + L"bcd";
    auto record = ParseAccountText(L"1服-" + name + L"-z");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->serverName, L"a" + Units({0xD83D, 0xDE00}) + L"bc");
}

TEST(LoginMinimize, LaterTabsCloseFirstMinimises) {
    EXPECT_EQ(DecideMinimize(1, true), MinimizeAction::EndLogin);
    EXPECT_EQ(DecideMinimize(2, false), MinimizeAction::EndLogin);
    EXPECT_EQ(DecideMinimize(0, true), MinimizeAction::MinimizeBackground);
    EXPECT_EQ(DecideMinimize(0, false), MinimizeAction::MinimizeLauncher);

    EXPECT_TRUE(UserAccountControlOn(6, 1u));
    EXPECT_TRUE(UserAccountControlOn(10, 1u));
    EXPECT_FALSE(UserAccountControlOn(5, 1u));  // before Vista there is none
    EXPECT_FALSE(UserAccountControlOn(6, 0u));
    EXPECT_FALSE(UserAccountControlOn(6, 2u));
    EXPECT_FALSE(UserAccountControlOn(6, std::nullopt));
}
