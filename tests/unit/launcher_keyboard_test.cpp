#include "launcher/keyboard_rules.h"

#include <gtest/gtest.h>

using namespace ovn;
using namespace ovn::launcher;

TEST(KeyboardHook, BossAndSoundKeysOnceAPageIsThere) {
    const HotkeySetting boss{121, 0}, sound{81, kModCtrl};
    EXPECT_EQ(DecideHookKey(1, kWmSysKeyDown, 121, 0, boss, sound), HookAction::ToggleHide);
    EXPECT_EQ(DecideHookKey(3, kWmKeyDown, 121, 0, boss, sound), HookAction::ToggleHide);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 81, kModCtrl, boss, sound), HookAction::ToggleSound);
    // No extra modifier allowed.
    EXPECT_EQ(DecideHookKey(1, kWmSysKeyDown, 121, kModShift, boss, sound), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 121, kModCtrl, boss, sound), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 81, kModCtrl | kModShift, boss, sound), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 81, 0, boss, sound), HookAction::None);
    // Before the first page, key-ups, and unloaded or cleared hotkeys: nothing.
    EXPECT_EQ(DecideHookKey(0, kWmSysKeyDown, 121, 0, boss, sound), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, 0x0101, 121, 0, boss, sound), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 121, 0, HotkeySetting{}, HotkeySetting{}), HookAction::None);
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 0, 0, HotkeySetting{0, 0}, HotkeySetting{0, 0}), HookAction::None);
    // The same chord for both: the boss key.
    EXPECT_EQ(DecideHookKey(1, kWmKeyDown, 121, 0, boss, boss), HookAction::ToggleHide);
}
