#include "common/line_break.h"

namespace ovn {

bool IsWideChar(wchar_t c) {
    // Hangul stops at the last syllable (U+D7A3): the jamo after it join the
    // syllable before them. The half-width forms include katakana and Hangul,
    // written as tightly as their full-width twins.
    return (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool ClosesLine(wchar_t c) {
    return std::wstring_view(L"\uFF0C\u3002\u3001\uFF1F\uFF01\uFF1A\uFF1B\uFF09\u300D\u300F"
                             L"\u3011\u300B\u3009\u2026\uFF0E\uFF61\uFF63\uFF64\uFF9E\uFF9F")
               .find(c) != std::wstring_view::npos;
}

bool IsLineBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u3000'; }

bool BreakOpportunity(std::wstring_view s, std::size_t i) {
    if (i == 0 || i >= s.size())
        return false;
    if (IsLineBlank(s[i]) || IsLineBlank(s[i - 1]))
        return true;
    return (IsWideChar(s[i]) || IsWideChar(s[i - 1])) && !ClosesLine(s[i]);
}

bool SplitsSurrogatePair(std::wstring_view s, std::size_t i) {
    return i > 0 && i < s.size() && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF && s[i] >= 0xDC00 && s[i] <= 0xDFFF;
}

}  // namespace ovn
