// Where a line of text may wrap without a blank: East Asian scripts are written
// without spaces between words, so a line may end beside any of their
// characters, except before the punctuation that closes what precedes it.
// Platform-free; shared by the page layout and the message box.
#pragma once
#include <cstddef>
#include <string_view>

namespace ovn {

// CJK radicals, kana, ideographs and their punctuation, Yi, Hangul syllables,
// compatibility ideographs, the vertical and compatibility forms, and the
// full- and half-width forms.
bool IsWideChar(wchar_t c);

// Punctuation that closes what precedes it (full stops, commas, closing
// brackets, the ellipsis, the half-width sound marks): a line never starts with one.
bool ClosesLine(wchar_t c);

// A blank a line may end at: space, tab or the ideographic space.
bool IsLineBlank(wchar_t c);

// Whether a line may end before s[i] (0 < i < s.size(); false elsewhere): at a
// blank, or beside a wide character unless s[i] closes the line.
bool BreakOpportunity(std::wstring_view s, std::size_t i);

// Whether cutting s before s[i] would split a surrogate pair.
bool SplitsSurrogatePair(std::wstring_view s, std::size_t i);

}  // namespace ovn
