// The secret a page process shares with the launcher that started it. Any
// program can send the launcher a label claim or post it the word that a login
// is shown, and name any window as the sender; only the page process was given
// this number, on its command line, so only what carries it is taken.
// Platform-free.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

using PageToken = std::uint64_t;  // 0: none

// The command-line argument: "/" and 16 lower-case hexadecimal digits.
std::wstring PageTokenArgument(PageToken token);
// Reads that argument back; nothing for anything else (or a token of 0).
std::optional<PageToken> ReadPageTokenArgument(std::wstring_view arg);

// A label claim's text: the token's 16 digits, then the label.
std::wstring ClaimText(PageToken token, std::wstring_view label);
// The label of a claim that carries the expected token; nothing when the token
// differs, is missing or expected is 0.
std::optional<std::wstring> LabelOfClaim(std::wstring_view claim, PageToken expected);

// The login-shown word carries the token in two 32-bit halves, wParam the low
// one and lParam the high one, alike in the 32- and 64-bit builds.
std::uintptr_t TokenWordLow(PageToken token);
std::intptr_t TokenWordHigh(PageToken token);
bool IsTokenWord(std::uintptr_t wParam, std::intptr_t lParam, PageToken expected);

}  // namespace ovn
