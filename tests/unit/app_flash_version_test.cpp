#include "app/flash_version.h"

#include <gtest/gtest.h>

using ovn::IsFlashVersionNewer;

TEST(FlashVersion, OnlyStrictlyNewerPasses) {
    EXPECT_TRUE(IsFlashVersionNewer(L"11,2,202,235"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,64"));
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,183,5"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,2,999,999"));
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,102,65"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,63"));
    EXPECT_TRUE(IsFlashVersionNewer(L"32,0,0,465"));
}

TEST(FlashVersion, ShortAndOddTexts) {
    EXPECT_TRUE(IsFlashVersionNewer(L"11"));   // 11 > 10 in the first round
    EXPECT_TRUE(IsFlashVersionNewer(L"10"));   // 10 repeats: 10 against 3 in the second round
    // The last component repeats: "10,3,102" is read as 10,3,102,102.
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,102"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3"));  // 10,3,3,3
    EXPECT_FALSE(IsFlashVersionNewer(L""));
    EXPECT_FALSE(IsFlashVersionNewer(L"abc"));
    EXPECT_FALSE(IsFlashVersionNewer(L",,,"));
    // Components are read up to their first non-digit.
    EXPECT_TRUE(IsFlashVersionNewer(L"11 beta,0"));
    EXPECT_FALSE(IsFlashVersionNewer(L"9.9.9.9"));  // dots are no separator: one component, 9
    // Components beyond the fourth are not compared.
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,64,1"));
    EXPECT_TRUE(IsFlashVersionNewer(L"2,0", L"1"));
}
