#include "launcher/tray_rules.h"

#include <gtest/gtest.h>

using namespace ovn::launcher;
using Step = TrayIconTurns::Step;

TEST(TrayIconTurns, ShownOnlyWhenTheSystemTookItAndAddedAgainAfterTheTaskbarRestarts) {
    TrayIconTurns tray;
    EXPECT_EQ(tray.TaskbarCreated(), Step::None);  // no icon wanted yet: nothing to add
    EXPECT_EQ(tray.Want(), Step::Add);
    EXPECT_FALSE(tray.Shown());
    EXPECT_FALSE(tray.Added(true));
    EXPECT_TRUE(tray.Shown());
    EXPECT_EQ(tray.Want(), Step::None);  // added once

    // Explorer restarted: the icon is gone and is added again.
    EXPECT_EQ(tray.TaskbarCreated(), Step::Add);
    EXPECT_FALSE(tray.Shown());
    tray.Added(true);
    EXPECT_TRUE(tray.Shown());

    EXPECT_EQ(tray.Unwant(), Step::Delete);
    EXPECT_FALSE(tray.Shown());
    EXPECT_EQ(tray.Unwant(), Step::None);
    EXPECT_EQ(tray.TaskbarCreated(), Step::None);  // the launcher is ending: no icon comes back
}

TEST(TrayIconTurns, AFailedAddIsNotShownAndIsTriedAgainAFewTimes) {
    TrayIconTurns tray;
    ASSERT_EQ(tray.Want(), Step::Add);
    for (int i = 1; i < kTrayAddTries; ++i) {
        EXPECT_TRUE(tray.Added(false)) << i;
        EXPECT_FALSE(tray.Shown());
        EXPECT_EQ(tray.Want(), Step::Add) << i;  // the retry
    }
    EXPECT_FALSE(tray.Added(false));  // the last try: no more retries
    EXPECT_EQ(tray.Want(), Step::None);
    EXPECT_EQ(tray.Unwant(), Step::None);  // nothing shown: nothing to delete

    // A new taskbar starts the tries afresh.
    TrayIconTurns again;
    again.Want();
    for (int i = 0; i < kTrayAddTries; ++i)
        again.Added(false);
    EXPECT_EQ(again.TaskbarCreated(), Step::Add);
    EXPECT_TRUE(again.Added(false));
}
