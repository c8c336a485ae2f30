#include "skin/access_rules.h"

#include <gtest/gtest.h>

using namespace ovn::skin;

TEST(AccessRules, ImageButtonsAreNamedByWhatTheyHave) {
    // Given name first, then the caption, then the tooltip.
    EXPECT_EQ(ButtonFace(L"静音", L"", L"", true), (AccFace{L"静音", RolePushButton, StatePressed, L""}));
    EXPECT_EQ(ButtonFace(L"", L"系统", L"", false), (AccFace{L"系统", RolePushButton, 0, L""}));
    EXPECT_EQ(ButtonFace(L"", L"", kTextRestore, false).name, L"还原");
    EXPECT_EQ(LabelFace(L"登录其他账号", true), (AccFace{L"登录其他账号", RoleLink, StateLinked | StateFocusable, L""}));
    EXPECT_EQ(LabelFace(L"50%", false).role, RoleStaticText);
    EXPECT_EQ(ProgressFace(37, 100).value, L"37%");
    EXPECT_EQ(ProgressFace(500, 0).value, L"0%");  // no range yet
    EXPECT_EQ(ProgressFace(150, 100).value, L"100%");
}
