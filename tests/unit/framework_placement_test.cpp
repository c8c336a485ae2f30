#include <gtest/gtest.h>

#include "framework/placement.h"

using fw::Area;
using fw::CentredOrigin;
using fw::Origin;

TEST(CentredOrigin, OverOwnerOrWorkAreaAndKeptOnScreen) {
    const Area wa{0, 0, 1920, 1040};
    const Area owner{100, 100, 500, 400};
    EXPECT_EQ(CentredOrigin(260, 128, &owner, wa), (Origin{170, 186}));
    EXPECT_EQ(CentredOrigin(260, 128, nullptr, wa), (Origin{830, 456}));
    // Owner near the edge: pushed back onto the work area.
    const Area edge{1800, -50, 1920, 50};
    EXPECT_EQ(CentredOrigin(260, 128, &edge, wa), (Origin{1660, 0}));
    // Wider or taller than the work area: the top-left corner stays visible.
    EXPECT_EQ(CentredOrigin(3000, 128, nullptr, wa).x, 0);
    EXPECT_EQ(CentredOrigin(260, 2000, &owner, wa).y, 0);
    // A work area that does not start at 0 (taskbar at the top or left).
    const Area shifted{60, 40, 1920, 1080};
    EXPECT_EQ(CentredOrigin(100, 100, nullptr, shifted), (Origin{940, 510}));
    EXPECT_EQ(CentredOrigin(100, 100, &owner, Area{400, 300, 1920, 1080}), (Origin{400, 300}));
}
