// How an update found at start reaches the program's folder, by the rights the
// process has there.
#include <gtest/gtest.h>

#include "app/rights_rules.h"

using ovn::ChooseUpdateRoute;
using ovn::UpdateRoute;

TEST(UpdateRoute, OnlyAFolderThatCanBeWrittenIsUpdatedInPlace) {
    EXPECT_EQ(ChooseUpdateRoute(true, false), UpdateRoute::InPlace);
    EXPECT_EQ(ChooseUpdateRoute(true, true), UpdateRoute::InPlace);  // no question when none is needed
    // A filtered administrator asks once; anyone else downloads nothing.
    EXPECT_EQ(ChooseUpdateRoute(false, true), UpdateRoute::Elevated);
    EXPECT_EQ(ChooseUpdateRoute(false, false), UpdateRoute::NotAttempted);
}
