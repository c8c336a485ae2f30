// The login page's commands: the page navigates to "app://<word>..." and the
// login dialog cancels the navigation and carries the command out. The loadgame
// command names the account the player chose; from it we build the tab label the
// launcher checks for duplicates. Platform-free.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovn::gamepage {

// What the login dialog does with a navigation of its page. Commands come first:
// an "app:" URL is never an external login, whatever it carries.
enum class LoginNavigation {
    Proceed,        // an ordinary page: let it load
    Command,        // an "app:" URL: cancel, then carry out ReadLoginCommand
    ExternalLogin,  // a QQ / Weibo redirect: cancel, then open the external login
};
LoginNavigation ClassifyLoginNavigation(std::wstring_view url);

enum class LoginCommand { LoadGame, ExitGame, Minimize, Other };

struct LoginCommandWord {
    std::wstring_view word;
    LoginCommand command;
};
// The command word is the eight characters after "app://"; exact, small letters.
inline constexpr LoginCommandWord kLoginCommandWords[] = {
    {L"loadgame", LoginCommand::LoadGame},
    {L"exitgame", LoginCommand::ExitGame},
    {L"minimize", LoginCommand::Minimize},
};
constexpr std::size_t kCommandWordPos = 6;
constexpr std::size_t kCommandWordLength = 8;

// The command of an "app:" URL; Other for any other word (only the cancellation).
LoginCommand ReadLoginCommand(std::wstring_view url);

// "app://loadgame|<account text>|<game URL>": the account text runs from just
// after the first '|' to the next '|', the game URL is everything after that.
// Without the second '|' both are empty.
struct LoadGameParts {
    std::wstring accountText;
    std::wstring gameUrl;
};
LoadGameParts SplitLoadGame(std::wstring_view url);

// Longest account text we take, in UTF-8 bytes (before and after unescaping).
constexpr std::size_t kMaxAccountTextBytes = 255;

// The account text as the player's account: a text with '%' is read as
// percent-escaped UTF-8 ("%E6%9C%8D" is 服); characters that are not escaped are
// taken as they are, and '%' not followed by two hex digits stays a '%'. A text
// without '%' is used unchanged. Nothing, so that the command is ignored, when
// the text is longer than kMaxAccountTextBytes in UTF-8 (it is never cut: a cut
// could name another account), when the escapes do not spell valid UTF-8, or
// when the text holds a control character (a NUL would end the label early).
// The result is UTF-16 in every build.
std::optional<std::wstring> DecodeAccountText(std::wstring_view text);

// The tab label's parts: server, server name, account.
struct AccountRecord {
    std::wstring server;
    std::wstring serverName;
    std::wstring account;
    // server + "服-" + server name + "-" + account: what the launcher keeps.
    std::wstring Text() const;
    bool operator==(const AccountRecord&) const = default;
};

// Splits a decoded account text "<server>服-<server name>-<account>": the first
// "服-" ends the server, the first '-' after it ends the server name, so an
// account keeps its own dashes. Capital 'S' is dropped from the server ("S12" is
// server 12); a server name with '》' keeps the (up to) four characters after the
// first one. Nothing when the text names no server (no "服-", or nothing but 'S'
// before it) or no account, or when dropping the 'S' leaves a "服-" in the server
// (the label would read back as another record): such a label would claim
// nothing real.
std::optional<AccountRecord> ParseAccountText(std::wstring_view decodedText);

struct LoadGameCommand {
    AccountRecord record;
    std::wstring gameUrl;
};
// All of the above for a loadgame URL; nothing when the command is to be ignored
// (the navigation is cancelled all the same).
std::optional<LoadGameCommand> ParseLoadGame(std::wstring_view url);

// The message shown when the launcher refuses the record.
std::wstring DuplicateLoginMessage(const AccountRecord& record);

// The minimize command: a later tab's login closes instead; the first one
// minimises the login background when user-account control is on, else the
// launcher window.
enum class MinimizeAction { EndLogin, MinimizeBackground, MinimizeLauncher };
MinimizeAction DecideMinimize(int pagesBefore, bool userAccountControlOn);

// User-account control is on from the sixth major version of the system on, when
// the policy value "EnableLUA" could be read as 4 bytes and is 1.
bool UserAccountControlOn(unsigned majorVersion, std::optional<std::uint32_t> enableLua);

}  // namespace ovn::gamepage
