#include "gamepage/login_commands.h"

#include <algorithm>

#include "browser/dhtml_rules.h"
#include "gamepage/external_login_rules.h"

namespace ovn::gamepage {

namespace {

constexpr std::size_t kAccountTextPos = 15;  // after "app://loadgame|"
constexpr std::wstring_view kServerMark = L"服-";
constexpr wchar_t kServerNameMark = L'》';
constexpr std::size_t kServerNameChars = 4;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-8 of a text held as UTF-16 units (a wider wchar_t may also hold whole code
// points); nothing for a lone surrogate.
std::optional<std::string> ToUtf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(c)) {
            if (i + 1 >= text.size() || !IsLowSurrogate(static_cast<char32_t>(text[i + 1])))
                return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (IsLowSurrogate(c) || c > 0x10FFFF) {
            return std::nullopt;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-16 units of strict UTF-8: no overlong forms, no surrogates, nothing past
// U+10FFFF, no cut sequences.
std::optional<std::wstring> FromUtf8(std::string_view bytes) {
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra;
        char32_t c, least;
        if (b < 0x80) {
            extra = 0, c = b, least = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, c = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, c = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, c = b & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + extra >= bytes.size())
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c))
            return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += extra + 1;
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The standard URL unescaping: "%XX" becomes the byte; a '%' without two hex
// digits after it stays as it is.
std::string PercentUnescape(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size()) {
            int hi = HexValue(bytes[i + 1]), lo = HexValue(bytes[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += bytes[i];
    }
    return out;
}

bool HasControlCharacter(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

// Up to n characters from the start of text, a surrogate pair counting as one.
std::wstring_view FirstCharacters(std::wstring_view text, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t taken = 0; taken < n && i < text.size(); ++taken) {
        bool pair = IsHighSurrogate(static_cast<char32_t>(text[i])) && i + 1 < text.size() &&
                    IsLowSurrogate(static_cast<char32_t>(text[i + 1]));
        i += pair ? 2 : 1;
    }
    return text.substr(0, i);
}

}  // namespace

LoginNavigation ClassifyLoginNavigation(std::wstring_view url) {
    if (browser::IsAppUrl(url))
        return LoginNavigation::Command;
    if (ExternalLoginFor(url))
        return LoginNavigation::ExternalLogin;
    return LoginNavigation::Proceed;
}

LoginCommand ReadLoginCommand(std::wstring_view url) {
    if (!browser::IsAppUrl(url) || url.size() < kCommandWordPos + kCommandWordLength)
        return LoginCommand::Other;
    std::wstring_view word = url.substr(kCommandWordPos, kCommandWordLength);
    for (const auto& entry : kLoginCommandWords)
        if (word == entry.word)
            return entry.command;
    return LoginCommand::Other;
}

LoadGameParts SplitLoadGame(std::wstring_view url) {
    LoadGameParts parts;
    if (url.size() <= kAccountTextPos)
        return parts;
    std::size_t bar = url.find(L'|', kAccountTextPos);
    if (bar == std::wstring_view::npos)
        return parts;
    parts.accountText = std::wstring(url.substr(kAccountTextPos, bar - kAccountTextPos));
    parts.gameUrl = std::wstring(url.substr(bar + 1));
    return parts;
}

std::optional<std::wstring> DecodeAccountText(std::wstring_view text) {
    std::optional<std::string> bytes = ToUtf8(text);
    if (!bytes || bytes->size() > kMaxAccountTextBytes)
        return std::nullopt;
    std::optional<std::wstring> decoded;
    if (text.find(L'%') == std::wstring_view::npos)
        decoded = std::wstring(text);
    else
        decoded = FromUtf8(PercentUnescape(*bytes));
    if (!decoded || HasControlCharacter(*decoded))
        return std::nullopt;
    return decoded;
}

std::wstring AccountRecord::Text() const {
    return server + std::wstring(kServerMark) + serverName + L"-" + account;
}

std::optional<AccountRecord> ParseAccountText(std::wstring_view text) {
    std::size_t p = text.find(kServerMark);
    if (p == std::wstring_view::npos)
        return std::nullopt;  // no server: nothing to claim
    AccountRecord record;
    for (wchar_t c : text.substr(0, p))
        if (c != L'S')
            record.server += c;

    std::size_t s = p + kServerMark.size();
    std::size_t q = s < text.size() ? text.find(L'-', s) : std::wstring_view::npos;
    if (q == std::wstring_view::npos) {
        record.account = std::wstring(text);
    } else {
        record.serverName = std::wstring(text.substr(s, q - s));
        record.account = std::wstring(text.substr(q + 1));
    }
    if (std::size_t mark = record.serverName.find(kServerNameMark); mark != std::wstring::npos)
        record.serverName = std::wstring(FirstCharacters(std::wstring_view(record.serverName).substr(mark + 1),
                                                         kServerNameChars));
    if (record.server.empty() || record.account.empty())
        return std::nullopt;
    // "1服S-2服-x-acc" would become server "1服-2": its label would read as another
    // record's ("1服-2服-x-acc" is account "x-acc" on server 1), and the launcher
    // would take one account for the other. No real server is named so.
    if (record.server.find(kServerMark) != std::wstring::npos)
        return std::nullopt;
    return record;
}

std::optional<LoadGameCommand> ParseLoadGame(std::wstring_view url) {
    if (ReadLoginCommand(url) != LoginCommand::LoadGame)
        return std::nullopt;
    LoadGameParts parts = SplitLoadGame(url);
    std::optional<std::wstring> text = DecodeAccountText(parts.accountText);
    if (!text)
        return std::nullopt;
    std::optional<AccountRecord> record = ParseAccountText(*text);
    if (!record)
        return std::nullopt;
    return LoadGameCommand{std::move(*record), std::move(parts.gameUrl)};
}

std::wstring DuplicateLoginMessage(const AccountRecord& record) {
    return L"账号 " + record.account + L" 已在 " + record.server + L"服 登录，同一账号不能在一服重复登录";
}

MinimizeAction DecideMinimize(int pagesBefore, bool userAccountControlOn) {
    if (pagesBefore > 0)
        return MinimizeAction::EndLogin;
    return userAccountControlOn ? MinimizeAction::MinimizeBackground : MinimizeAction::MinimizeLauncher;
}

bool UserAccountControlOn(unsigned majorVersion, std::optional<std::uint32_t> enableLua) {
    return majorVersion > 5 && enableLua && *enableLua == 1;
}

}  // namespace ovn::gamepage
