#include "settings/hotkey_rules.h"

#include <gtest/gtest.h>

using namespace ovn;
using namespace ovn::settings;

namespace {
const std::wstring kCtrl = L"Ctrl  +  ", kShift = L"Shift  +  ", kAlt = L"Alt  +  ";
}

TEST(KeyNames, EveryShapeOfTheTable) {
    EXPECT_EQ(KeyName('0'), L"0");
    EXPECT_EQ(KeyName('9'), L"9");
    EXPECT_EQ(KeyName('A'), L"A");
    EXPECT_EQ(KeyName('Z'), L"Z");
    EXPECT_EQ(KeyName(112), L"F1");
    EXPECT_EQ(KeyName(121), L"F10");
    EXPECT_EQ(KeyName(123), L"F12");
    EXPECT_EQ(KeyName(96), L"Num 0");
    EXPECT_EQ(KeyName(105), L"Num 9");
    const std::pair<int, const wchar_t*> listed[] = {
        {8, L"Back"}, {9, L"Tab"}, {13, L"Enter"}, {16, L"Shift"}, {17, L"Ctrl"}, {18, L"Alt"},
        {19, L"Pause Break"}, {20, L"Caps"}, {27, L"Esc"}, {33, L"Page Up"}, {34, L"Page Down"}, {35, L"End"},
        {36, L"Home"}, {37, L"Left"}, {38, L"Up"}, {39, L"Right"}, {40, L"Down"}, {45, L"Insert"}, {46, L"Del"},
        {91, L"LWin"}, {92, L"RWin"}, {106, L"Num *"}, {107, L"Num +"}, {109, L"Num -"}, {110, L"Num Del"},
        {111, L"Num /"}, {144, L"Num Lock"}, {145, L"Scroll Lock"}, {186, L";"}, {187, L"+"}, {188, L","},
        {189, L"-"}, {190, L"."}, {191, L"/"}, {192, L"`"}, {219, L"["}, {220, L"\\"}, {221, L"]"}, {222, L"'"}};
    for (auto [vk, name] : listed)
        EXPECT_EQ(KeyName(vk), name) << vk;
    for (int vk : {0, 1, 47, 58, 64, 93, 108, 124, 146, 185, 193, 218, 223, 255, 256, -1})
        EXPECT_EQ(KeyName(vk), L"") << vk;
}

TEST(HotkeyText, ModifiersInOrderThenName) {
    EXPECT_EQ(FormatHotkeyText({121, 0}), L"F10");
    EXPECT_EQ(FormatHotkeyText({9, kModCtrl}), kCtrl + L"Tab");
    EXPECT_EQ(FormatHotkeyText({81, kModCtrl}), kCtrl + L"Q");
    // Always Ctrl, Shift, Alt, whatever the bits' order.
    EXPECT_EQ(FormatHotkeyText({65, kModAlt | kModShift | kModCtrl}), kCtrl + kShift + kAlt + L"A");
    EXPECT_EQ(FormatHotkeyText({65, kModAlt | kModShift}), kShift + kAlt + L"A");
    EXPECT_EQ(FormatHotkeyText({0, 0}), L"无");
    EXPECT_EQ(FormatHotkeyText({0, kModCtrl}), L"无");
    EXPECT_EQ(FormatHotkeyText({255, kModCtrl}), kCtrl);  // no name: only the modifiers
}

TEST(HotkeyKeys, AllowedMainKeys) {
    for (int vk = 0; vk < 256; ++vk) {
        const bool allowed = (vk >= 112 && vk <= 122) || (vk >= 48 && vk <= 57) || (vk >= 65 && vk <= 90) ||
                             (vk >= 33 && vk <= 40) || vk == 45 || vk == 20 || (vk >= 186 && vk <= 192) ||
                             (vk >= 219 && vk <= 222) || vk == 144 || (vk >= 96 && vk <= 107) ||
                             (vk >= 109 && vk <= 111);
        EXPECT_EQ(IsAllowedHotkeyKey(vk), allowed) << vk;
    }
    EXPECT_FALSE(IsAllowedHotkeyKey(123));  // F12
    EXPECT_FALSE(IsAllowedFor(HotkeyId::Boss, 9));
    EXPECT_FALSE(IsAllowedFor(HotkeyId::Sound, 9));
    EXPECT_TRUE(IsAllowedFor(HotkeyId::Switch, 9));
}

TEST(SettingsCapture, WhichMessagesAreLookedAt) {
    EXPECT_EQ(ClassifySettingsKey(kWmKeyDown, 'S'), CaptureStep::Capture);
    EXPECT_EQ(ClassifySettingsKey(kWmSysKeyDown, 121), CaptureStep::Capture);  // F10
    EXPECT_EQ(ClassifySettingsKey(kWmSysKeyDown, 18), CaptureStep::Capture);   // Alt
    EXPECT_EQ(ClassifySettingsKey(kWmSysKeyDown, 'S'), CaptureStep::NotOurs);  // Alt+S is not captured
    EXPECT_EQ(ClassifySettingsKey(kWmKeyDown, 27), CaptureStep::Swallow);
    EXPECT_EQ(ClassifySettingsKey(kWmKeyDown, 13), CaptureStep::Swallow);
    EXPECT_EQ(ClassifySettingsKey(kWmChar, 'S'), CaptureStep::NotOurs);
}

TEST(SettingsCapture, ChordsMakeTheBoxText) {
    Capture c = CaptureChord(HotkeyId::Sound, 'S', kModCtrl);
    EXPECT_EQ(c.text, kCtrl + L"S");
    EXPECT_EQ(c.key, 'S');
    // Clearing keys: "无", the held key stays.
    for (int vk : {8, 46, 91, 92, 123}) {
        c = CaptureChord(HotkeyId::Boss, vk, kModCtrl);
        EXPECT_EQ(c.text, L"无") << vk;
        EXPECT_FALSE(c.key) << vk;
    }
    // F12 does not clear the window-switch box; it is not allowed there either.
    c = CaptureChord(HotkeyId::Switch, 123, 0);
    EXPECT_EQ(c.text, L"");
    EXPECT_FALSE(c.key);
    // A modifier alone leaves a text ending in a blank.
    c = CaptureChord(HotkeyId::Sound, 16, kModShift);
    EXPECT_EQ(c.text, kShift);
    EXPECT_FALSE(c.key);
    c = CaptureChord(HotkeyId::Switch, 9, kModCtrl);
    EXPECT_EQ(c.text, kCtrl + L"Tab");
    EXPECT_EQ(CaptureChord(HotkeyId::Boss, 9, kModCtrl).text, kCtrl);
}

TEST(SettingsSave, TextToStoredHotkey) {
    EXPECT_EQ(HotkeyFromText(kCtrl + L"S", 'S'), (HotkeySetting{'S', kModCtrl}));
    EXPECT_EQ(HotkeyFromText(L"无", 'S'), (HotkeySetting{0, 0}));
    EXPECT_EQ(HotkeyFromText(kCtrl + kShift + kAlt + L"F5", 116), (HotkeySetting{116, 7}));
    EXPECT_FALSE(HotkeyFromText(kShift, 'S'));  // a modifier alone keeps the stored value
    EXPECT_FALSE(HotkeyFromText(L"", 'S'));
}

TEST(SettingsSave, Conflicts) {
    const std::array<HotkeySetting, 3> stored{DefaultHotkey(HotkeyId::Boss), DefaultHotkey(HotkeyId::Switch),
                                              DefaultHotkey(HotkeyId::Sound)};
    SettingsBoxes boxes{{L"F10", kCtrl + L"Tab", kCtrl + L"Q"}, {121, 9, 81}};
    EXPECT_FALSE(HotkeysConflict(boxes, stored));
    // The same text in two boxes, "无" twice included.
    boxes.texts[2] = L"F10";
    boxes.heldKeys[2] = 121;
    EXPECT_TRUE(HotkeysConflict(boxes, stored));
    boxes = {{L"无", kCtrl + L"Tab", L"无"}, {121, 9, 81}};
    EXPECT_TRUE(HotkeysConflict(boxes, stored));
    boxes = {{L"无", kCtrl + L"Tab", kCtrl + L"Q"}, {121, 9, 81}};
    EXPECT_FALSE(HotkeysConflict(boxes, stored));
    // A new key equal to one that stays stored because its box shows only a
    // modifier: the texts differ, the stored hotkeys would not.
    boxes = {{kShift, kCtrl + L"Tab", L"F10"}, {121, 9, 121}};
    EXPECT_TRUE(HotkeysConflict(boxes, stored));
}
