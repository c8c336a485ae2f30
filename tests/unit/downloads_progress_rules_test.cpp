#include "downloads/progress_rules.h"

#include <gtest/gtest.h>

using namespace ovn::downloads;

TEST(ProgressPercent, SixtyFourBitsAndNoDivisionByZero) {
    EXPECT_EQ(ProgressPercent(0, 100), 0);
    EXPECT_EQ(ProgressPercent(50, 100), 50);
    EXPECT_EQ(ProgressPercent(99, 100), 99);
    // 32-bit T x 100 overflows past about 42 MB: 45 MB of 50 MB is 90 %.
    EXPECT_EQ(ProgressPercent(45ull << 20, 50ull << 20), 90);
    EXPECT_EQ(ProgressPercent(3ull << 32, 4ull << 32), 75);
    EXPECT_EQ(ProgressPercent(0, 0), 100);
    EXPECT_EQ(ProgressPercent(10, 0), 100);
    EXPECT_EQ(ProgressPercent(200, 100), 100);  // more than announced
    EXPECT_EQ(ProgressPercent((1ull << 62), (1ull << 62) + (1ull << 61)), 66);
    EXPECT_EQ(ProgressLabel(42), L"已加载  42%");
}
