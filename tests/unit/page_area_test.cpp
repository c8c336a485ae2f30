#include "common/page_area.h"

#include <gtest/gtest.h>

using ovn::Box;
using ovn::PageArea;

TEST(PageArea, InsetsTheLauncherClientArea) {
    EXPECT_EQ(PageArea(1024, 768), (Box{4, 30, 1016, 734}));
    EXPECT_EQ(PageArea(1000, 700), (Box{4, 30, 992, 666}));
    // The launcher is still 1 x 1 before its first page arrives: nothing negative.
    EXPECT_EQ(PageArea(1, 1), (Box{4, 30, 0, 0}));
    EXPECT_EQ(PageArea(100, 20), (Box{4, 30, 92, 0}));
    EXPECT_EQ(PageArea(8, 34), (Box{4, 30, 0, 0}));
}
