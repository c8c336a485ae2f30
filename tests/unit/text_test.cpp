#include "common/text.h"

#include <gtest/gtest.h>
#include <limits>
#include <string_view>

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

TEST(AsciiHelpers, LowerAndTrimTouchOnlyAscii) {
    EXPECT_EQ(ovn::ToLowerAscii(L"UTF-8 \x00C4\x4e2d"), L"utf-8 \x00C4\x4e2d");
    EXPECT_EQ(ovn::ToLowerAscii(std::string_view("GBK\xC4Z")), "gbk\xC4z");  // a high byte stays
    EXPECT_EQ(ovn::TrimAsciiSpace(L" \t\r\n\f a b \f\n"), L"a b");
    EXPECT_EQ(ovn::TrimAsciiSpace(L"\x3000x\x3000"), L"\x3000x\x3000");  // not ASCII white space
    EXPECT_EQ(ovn::TrimAsciiSpace(L" \t "), L"");
    EXPECT_EQ(ovn::TrimWhere(std::string_view("\"'utf-8' "), [](char c) { return c == '"' || c == '\'' || c == ' '; }),
              "utf-8");
    EXPECT_EQ(ovn::TrimWhere(std::wstring_view(L"--"), [](wchar_t c) { return c == L'-'; }), L"");
}
