#include "common/input.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace ovn;

TEST(HotkeySetting, ExactKeyAndModifiers) {
    const HotkeySetting ctrlTab{9, kModCtrl};
    EXPECT_TRUE(ctrlTab.Matches(9, ModifierMask(true, false, false)));
    EXPECT_FALSE(ctrlTab.Matches(9, ModifierMask(true, true, false)));
    EXPECT_FALSE(ctrlTab.Matches(9, 0));
    EXPECT_FALSE(ctrlTab.Matches(10, kModCtrl));
    EXPECT_TRUE((HotkeySetting{121, 0}).Matches(121, 0));  // F10 alone
    // Not loaded yet: nothing matches, not even a key or mask of all ones.
    const HotkeySetting unloaded;
    EXPECT_FALSE(unloaded.Matches(static_cast<std::uintptr_t>(-1), -1));
    EXPECT_FALSE(unloaded.Matches(9, kModCtrl));

    EXPECT_EQ(ModifierMask(false, false, false), 0);
    EXPECT_EQ(ModifierMask(false, false, true), 1);
    EXPECT_EQ(ModifierMask(true, false, false), 2);
    EXPECT_EQ(ModifierMask(false, true, false), 4);
    EXPECT_EQ(ModifierMask(true, true, true), 7);
}

TEST(CtrlDAsTyped, ScanCodeWithoutStateBits) {
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x00200001));
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x00200000));  // any repeat count
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x0020FFFF));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x40200001));  // auto-repeat
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x01200001));  // extended key
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x20200001));  // context bit (Alt)
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x00210001));  // another scan code
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, -1));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 5, 0x00200001));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmKeyDown, 4, 0x00200001));
    if constexpr (sizeof(std::intptr_t) == 8) {
        // Only a posted message can carry bits above the 32 a key message has.
        const std::int64_t high = std::int64_t{1} << 40;
        EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, static_cast<std::intptr_t>(high | 0x00200001)));
    }
}

TEST(HotkeySetting, KeyZeroIsNoHotkey) {
    EXPECT_FALSE((HotkeySetting{0, 0}).Matches(0, 0));
    EXPECT_FALSE((HotkeySetting{0, kModCtrl}).Matches(0, kModCtrl));
}

TEST(StoredHotkey, DefaultsAndKeys) {
    EXPECT_EQ(FormatHotkeyValue(DefaultHotkey(HotkeyId::Boss)), L"0,121");
    EXPECT_EQ(FormatHotkeyValue(DefaultHotkey(HotkeyId::Switch)), L"2,9");
    EXPECT_EQ(FormatHotkeyValue(DefaultHotkey(HotkeyId::Sound)), L"2,81");
    EXPECT_STREQ(HotkeyIniKey(HotkeyId::Boss), L"ShortKey");
    EXPECT_STREQ(HotkeyIniKey(HotkeyId::Switch), L"AltWndKey");
    EXPECT_STREQ(HotkeyIniKey(HotkeyId::Sound), L"SndKey");
}

TEST(StoredHotkey, WellFormedValuesRoundTrip) {
    for (HotkeySetting s : {HotkeySetting{0, 0}, HotkeySetting{83, 2}, HotkeySetting{255, 7}, HotkeySetting{9, 6}})
        EXPECT_EQ(ParseHotkeyValue(FormatHotkeyValue(s)), s);
    EXPECT_EQ(HotkeyFromStored(HotkeyId::Sound, L"2,83"), (HotkeySetting{83, 2}));
    EXPECT_EQ(HotkeyFromStored(HotkeyId::Boss, L"0,0"), (HotkeySetting{0, 0}));  // cleared: "无"
    EXPECT_EQ(HotkeyFromStored(HotkeyId::Boss, L"007,065"), (HotkeySetting{65, 7}));
}

TEST(StoredHotkey, MalformedValuesReadAsTheDefault) {
    for (const wchar_t* bad : {L"", L"abc", L"2", L"121", L"-1,121", L"2,-9", L"0,256", L"0,1000", L"8,9", L"2,",
                               L",9", L"2,9x", L"x2,9", L" 2,9", L"2, 9", L"2,9,1", L"+2,9", L"2;9", L"2,99999999999"})
        EXPECT_EQ(HotkeyFromStored(HotkeyId::Switch, bad), DefaultHotkey(HotkeyId::Switch)) << "value '" << bad << "'";
}
