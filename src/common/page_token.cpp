#include "common/page_token.h"

namespace ovn {

namespace {

constexpr std::size_t kDigits = 16;

std::wstring Hex(PageToken token) {
    std::wstring digits(kDigits, L'0');
    for (std::size_t i = kDigits; i-- > 0; token >>= 4)
        digits[i] = L"0123456789abcdef"[token & 0xF];
    return digits;
}

std::optional<PageToken> ReadHex(std::wstring_view digits) {
    if (digits.size() != kDigits)
        return std::nullopt;
    PageToken token = 0;
    for (wchar_t c : digits) {
        unsigned value = 0;
        if (c >= L'0' && c <= L'9')
            value = static_cast<unsigned>(c - L'0');
        else if (c >= L'a' && c <= L'f')
            value = static_cast<unsigned>(c - L'a' + 10);
        else
            return std::nullopt;
        token = (token << 4) | value;
    }
    if (token == 0)
        return std::nullopt;
    return token;
}

}  // namespace

std::wstring PageTokenArgument(PageToken token) { return L"/" + Hex(token); }

std::optional<PageToken> ReadPageTokenArgument(std::wstring_view arg) {
    if (arg.empty() || arg.front() != L'/')
        return std::nullopt;
    return ReadHex(arg.substr(1));
}

std::wstring ClaimText(PageToken token, std::wstring_view label) { return Hex(token) + std::wstring(label); }

std::optional<std::wstring> LabelOfClaim(std::wstring_view claim, PageToken expected) {
    if (expected == 0 || claim.size() < kDigits)
        return std::nullopt;
    const auto token = ReadHex(claim.substr(0, kDigits));
    if (!token || *token != expected)
        return std::nullopt;
    return std::wstring(claim.substr(kDigits));
}

std::uintptr_t TokenWordLow(PageToken token) { return static_cast<std::uintptr_t>(token & 0xFFFFFFFFu); }

// In the 32-bit build lParam is 32 bits wide: a high half with its top bit set
// arrives negative, and is read back as the same 32 bits.
std::intptr_t TokenWordHigh(PageToken token) {
    return static_cast<std::intptr_t>(static_cast<std::uintptr_t>(token >> 32));
}

bool IsTokenWord(std::uintptr_t wParam, std::intptr_t lParam, PageToken expected) {
    const PageToken low = wParam;
    const PageToken high = static_cast<std::uintptr_t>(lParam);
    if (expected == 0)
        return false;
    if ((low >> 32) != 0 || (high >> 32) != 0)  // more than a half each: not the word
        return false;
    return ((high << 32) | low) == expected;
}

}  // namespace ovn
