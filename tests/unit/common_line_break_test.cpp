#include "common/line_break.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace ovn;

TEST(LineBreak, WideCharactersOfEveryScriptWrittenWithoutBlanks) {
    for (wchar_t c : {L'中', L'あ', L'カ', L'한', L'\uA000' /* Yi */, L'\uF900', L'\uFE31', L'Ａ', L'ｶ', L'，'})
        EXPECT_TRUE(IsWideChar(c)) << int(c);
    // Latin, Cyrillic, Hangul jamo after the last syllable, surrogates, specials.
    for (wchar_t c : {L'a', L'Ж', L'\u2026', L'\uD7B0', wchar_t(0xD800), wchar_t(0xDC00), L'\uFFFD'})
        EXPECT_FALSE(IsWideChar(c)) << int(c);
}

TEST(LineBreak, OpportunitiesAtBlanksAndBesideWideCharacters) {
    const std::wstring_view s = L"ab 中文，x";
    // a|b: inside a word; b| : before a blank;  |中: after one.
    EXPECT_FALSE(BreakOpportunity(s, 1));
    EXPECT_TRUE(BreakOpportunity(s, 2));
    EXPECT_TRUE(BreakOpportunity(s, 3));
    EXPECT_TRUE(BreakOpportunity(s, 4));   // 中|文
    EXPECT_FALSE(BreakOpportunity(s, 5));  // 文|， : the comma stays with its word
    EXPECT_TRUE(BreakOpportunity(s, 6));   // ，|x
    // Never at either end, nor past it.
    EXPECT_FALSE(BreakOpportunity(s, 0));
    EXPECT_FALSE(BreakOpportunity(s, s.size()));
    EXPECT_FALSE(BreakOpportunity(L"", 0));
    // The ideographic space is a blank between Latin words too.
    EXPECT_TRUE(BreakOpportunity(L"a\u3000b", 1));
    // Half-width katakana wrap like full-width, but not before their sound mark.
    EXPECT_TRUE(BreakOpportunity(L"ｶｷ", 1));
    EXPECT_FALSE(BreakOpportunity(L"ｶﾞ", 1));
}

TEST(LineBreak, SurrogatePairsStayWhole) {
    // An ideograph outside the basic plane as UTF-16 (as Windows holds it).
    const std::wstring s{L'a', wchar_t(0xD840), wchar_t(0xDC00), L'b'};
    EXPECT_FALSE(SplitsSurrogatePair(s, 1));
    EXPECT_TRUE(SplitsSurrogatePair(s, 2));
    EXPECT_FALSE(SplitsSurrogatePair(s, 3));
    EXPECT_FALSE(SplitsSurrogatePair(s, 0));
    EXPECT_FALSE(SplitsSurrogatePair(s, 99));
}
