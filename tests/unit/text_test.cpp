#include "common/text.h"

#include <gtest/gtest.h>
#include <limits>

using ovn::ReadLeadingInt;

TEST(ReadLeadingInt, ReadsLikeTheRuntime) {
    EXPECT_EQ(ReadLeadingInt(L"1234"), 1234);
    EXPECT_EQ(ReadLeadingInt(L"  -17abc"), -17);
    EXPECT_EQ(ReadLeadingInt(L"+5"), 5);
    EXPECT_EQ(ReadLeadingInt(L"x12"), 0);
    EXPECT_EQ(ReadLeadingInt(L""), 0);
    EXPECT_EQ(ReadLeadingInt(L"-"), 0);
}

TEST(ReadLeadingInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(ReadLeadingInt(L"99999999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(ReadLeadingInt(L"-99999999999999999999999"), std::numeric_limits<long long>::min());
    EXPECT_EQ(ReadLeadingInt(L"-9223372036854775808"), std::numeric_limits<long long>::min());
}

TEST(EqualsNoCase, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(ovn::EqualsNoCase(L"/OVND", L"/ovnd"));
    EXPECT_FALSE(ovn::EqualsNoCase(L"/OvnDx", L"/OvnD"));
    EXPECT_EQ(ovn::ToUpperAscii(L"c:\\ab\x4e2d"), L"C:\\AB\x4e2d");
}
