#include "common/page_area.h"
#include "common/page_hosting.h"

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

TEST(PageHosting, OwnedUnderWineUnlessToldChildAndAlwaysChildOnWindows) {
    using ovn::ChoosePageHosting;
    using ovn::PageHosting;
    EXPECT_EQ(ChoosePageHosting(true, ""), PageHosting::Owned);
    EXPECT_EQ(ChoosePageHosting(true, "owned"), PageHosting::Owned);
    EXPECT_EQ(ChoosePageHosting(true, "Child"), PageHosting::Child);
    EXPECT_EQ(ChoosePageHosting(true, "children"), PageHosting::Owned) << "an unknown word leaves Wine's way";
    // Windows draws children of other processes: the setting is not heard there.
    EXPECT_EQ(ChoosePageHosting(false, ""), PageHosting::Child);
    EXPECT_EQ(ChoosePageHosting(false, "owned"), PageHosting::Child);
}

TEST(PageHosting, AnOwnedPageIsPlacedOnTheScreenOverThePageArea) {
    const Box area = PageArea(1024, 768);
    EXPECT_EQ(ovn::HostedPageBox(ovn::PageHosting::Child, area, 300, 200), area);
    EXPECT_EQ(ovn::HostedPageBox(ovn::PageHosting::Owned, area, 300, 200), (Box{304, 230, 1016, 734}));
    // A launcher partly off the left or top of the screen.
    EXPECT_EQ(ovn::HostedPageBox(ovn::PageHosting::Owned, area, -50, -10), (Box{-46, 20, 1016, 734}));
}
