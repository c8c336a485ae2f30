#include "common/text.h"

#include <limits>

namespace ovn {

std::optional<long long> ReadDigits(std::wstring_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits || digits.size() > 18)
        return std::nullopt;
    long long value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    return value;
}

long long ReadLeadingInt(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' ||
                               text[i] == L'\r' || text[i] == L'\v' || text[i] == L'\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    unsigned long long value = 0;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1
                 : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - L'0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative)
        return value == limit ? std::numeric_limits<long long>::min() : -static_cast<long long>(value);
    return static_cast<long long>(value);
}

static wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

std::wstring ToUpperAscii(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out)
        c = UpperAscii(c);
    return out;
}

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

std::wstring ToLowerAscii(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out)
        c = LowerAscii(c);
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return out;
}

bool IsAsciiSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f'; }

std::wstring_view TrimAsciiSpace(std::wstring_view text) { return TrimWhere(text, IsAsciiSpace); }

template <class View, class Blank>
static View TrimView(View text, Blank blank) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring_view TrimWhere(std::wstring_view text, bool (*blank)(wchar_t)) { return TrimView(text, blank); }
std::string_view TrimWhere(std::string_view text, bool (*blank)(char)) { return TrimView(text, blank); }

}  // namespace ovn
