#include "common/tick_count.h"

#include <gtest/gtest.h>

using ovn::ExtendTickCount;

TEST(TickCount, CarriesTheThirtyTwoBitCountIntoSixtyFourBits) {
    EXPECT_EQ(ExtendTickCount(0, 5), 5u);
    EXPECT_EQ(ExtendTickCount(1000, 2000), 2000u);
    EXPECT_EQ(ExtendTickCount(1000, 1000), 1000u);
    // The 49.7-day wrap: a reading below the last one's low half.
    EXPECT_EQ(ExtendTickCount(0xFFFFFF00u, 0x10), 0x100000010u);
    EXPECT_EQ(ExtendTickCount(0x2FFFFFFF0u, 0x20), 0x300000020u);
    // After a wrap, later readings keep the carried high half.
    EXPECT_EQ(ExtendTickCount(0x100000010u, 0x500), 0x100000500u);
}
