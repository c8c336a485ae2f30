#include "common/page_token.h"

#include <gtest/gtest.h>

using namespace ovn;

TEST(PageToken, TheArgumentReadsBackAndNothingElseDoes) {
    for (PageToken t : {PageToken{1}, PageToken{0x0123456789abcdefULL}, ~PageToken{0}})
        EXPECT_EQ(ReadPageTokenArgument(PageTokenArgument(t)), t);
    EXPECT_EQ(PageTokenArgument(0xabcULL), L"/0000000000000abc");
    for (const wchar_t* bad : {L"", L"/", L"0000000000000abc", L"/0000000000000000", L"/000000000000abc",
                               L"/00000000000000abc", L"/0000000000000ABC", L"/000000000000 abc", L"/-000000000000abc"})
        EXPECT_FALSE(ReadPageTokenArgument(bad)) << bad;
}

TEST(PageToken, AClaimCountsOnlyWithTheExpectedToken) {
    const PageToken token = 0x8000000000000001ULL;
    EXPECT_EQ(LabelOfClaim(ClaimText(token, L"1服-天命-a"), token), L"1服-天命-a");
    EXPECT_EQ(LabelOfClaim(ClaimText(token, L""), token), L"");
    EXPECT_FALSE(LabelOfClaim(ClaimText(token, L"a"), token ^ 2));
    EXPECT_FALSE(LabelOfClaim(L"1服-天命-a", token));  // a label alone
    EXPECT_FALSE(LabelOfClaim(L"800000000000000", token));  // too short for a token
    // Nothing is expected before a page was started: not even a claim of 0.
    EXPECT_FALSE(LabelOfClaim(ClaimText(0, L"a"), 0));
}

TEST(PageToken, TheLoginWordIsTheTokenInTwoHalves) {
    const PageToken token = 0xfedcba9876543210ULL;
    EXPECT_EQ(TokenWordLow(token), 0x76543210u);
    EXPECT_EQ(static_cast<std::uintptr_t>(TokenWordHigh(token)), 0xfedcba98u);  // negative in a 32-bit lParam
    EXPECT_TRUE(IsTokenWord(TokenWordLow(token), TokenWordHigh(token), token));
    EXPECT_FALSE(IsTokenWord(TokenWordLow(token), 0, token));
    EXPECT_FALSE(IsTokenWord(TokenWordHigh(token), TokenWordLow(token), token));
    EXPECT_FALSE(IsTokenWord(0, 0, 0));
    EXPECT_FALSE(IsTokenWord(TokenWordLow(token), -1, token));
    const PageToken lowHigh = 0x00000001fedcba98ULL;  // a high half of 1, a low one with the top bit set
    EXPECT_TRUE(IsTokenWord(TokenWordLow(lowHigh), TokenWordHigh(lowHigh), lowHigh));
    // The lParam's bits count, not its sign: a 32-bit build hands a high half of
    // 0xfedcba98 over as a negative number (a 64-bit one never does).
    const std::intptr_t negative = static_cast<std::int32_t>(0xfedcba98u);
    EXPECT_EQ(IsTokenWord(0x76543210u, negative, token), sizeof(std::intptr_t) == 4);
}
