#include "gamepage/game_page_rules.h"

#include <gtest/gtest.h>

#include "common/protocol.h"

using namespace ovn;
using namespace ovn::gamepage;

TEST(GamePageHall, ExactComparisonDecidesTheHall) {
    const wchar_t hall[] = L"http://svc.quenra.com/webgame.htm";
    EXPECT_EQ(AdoptionLParam(hall, hall), 1);
    EXPECT_EQ(AdoptionLParam(L"http://svc.quenra.com/WebGame.htm", hall), 0);
    EXPECT_EQ(AdoptionLParam(L"http://s1.quenra.com/game/ovn.htm", hall), 0);
    EXPECT_EQ(GamePageHostFlags(0x10, hall, hall), 0x10u);
    EXPECT_EQ(GamePageHostFlags(0x10, L"http://s1/game", hall), 0x1Cu);
    EXPECT_EQ(GamePageHostFlags(0x04, L"http://s1/game", hall), 0x0Cu);
}

namespace {

FrameHotkeys Keys(HotkeySetting boss, HotkeySetting sw, HotkeySetting sound) { return FrameHotkeys{boss, sw, sound}; }
const HotkeySetting kDefaultBoss{121, 0}, kDefaultSwitch{9, 2}, kDefaultSound{81, 2};

FrameAction Decide(unsigned msg, std::uintptr_t w, std::intptr_t l, int mods, const FrameHotkeys& k,
                   bool view = true) {
    return DecideFrameMessage(InputMessage{msg, w, l, mods}, k, view);
}

}  // namespace

TEST(GamePageKeys, SwitchKeyGoesToTheLauncher) {
    auto k = Keys(kDefaultBoss, kDefaultSwitch, kDefaultSound);
    EXPECT_EQ(Decide(kWmKeyDown, 9, 0x000F0001, kModCtrl, k), FrameAction::ForwardToLauncher);
    EXPECT_EQ(Decide(kWmSysKeyDown, 9, 0x000F0001, kModCtrl, k), FrameAction::ForwardToLauncher);
    EXPECT_EQ(Decide(kWmKeyDown, 9, 0x000F0001, kModCtrl | kModShift, k), FrameAction::Standard);
    // The marker is never a typed key.
    EXPECT_EQ(Decide(kWmKeyDown, 9, ovn::CloseMarker, kModCtrl, k), FrameAction::Standard);
}

TEST(GamePageKeys, CtrlDAsTypedOpensTheFavouriteDialog) {
    auto k = Keys(kDefaultBoss, kDefaultSwitch, kDefaultSound);
    EXPECT_EQ(Decide(kWmChar, 4, 0x00200001, 2, k), FrameAction::AddFavourite);
    EXPECT_EQ(Decide(kWmChar, 4, 0x40200001, 2, k), FrameAction::Standard);  // not as typed
}

TEST(GamePageKeys, F5RefreshesUnlessItIsTheBossOrSoundKey) {
    auto k = Keys(kDefaultBoss, kDefaultSwitch, kDefaultSound);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 0, k), FrameAction::RefreshPage);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 0, k, false), FrameAction::Swallow);

    auto soundF5 = Keys(kDefaultBoss, kDefaultSwitch, HotkeySetting{116, 0});
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 0, soundF5), FrameAction::Swallow);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, ovn::CloseMarker, 0, soundF5), FrameAction::RefreshPage);
    auto bossF5 = Keys(HotkeySetting{116, 0}, kDefaultSwitch, kDefaultSound);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 0, bossF5), FrameAction::Swallow);
    // Ctrl+F5 as the sound key does not take plain F5 away from the page.
    auto ctrlF5 = Keys(kDefaultBoss, kDefaultSwitch, HotkeySetting{116, 2});
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 2, ctrlF5), FrameAction::RefreshPage);

    // F5 as the switch key goes to the launcher; the launcher's own refresh does not.
    auto switchF5 = Keys(kDefaultBoss, HotkeySetting{116, 0}, kDefaultSound);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, 0x003F0001, 0, switchF5), FrameAction::ForwardToLauncher);
    EXPECT_EQ(Decide(kWmKeyDown, kVkF5, ovn::CloseMarker, 0, switchF5), FrameAction::RefreshPage);
}

TEST(GamePageKeys, CloseRequestArmsTheSweep) {
    FrameHotkeys k;
    EXPECT_EQ(Decide(kWmSysCommand, kScClose, 0, 0, k), FrameAction::SweepThenStandard);
    EXPECT_EQ(Decide(kWmSysCommand, kScClose | 2, 0, 0, k), FrameAction::SweepThenStandard);
    EXPECT_EQ(Decide(kWmSysCommand, 0xF020, 0, 0, k), FrameAction::Standard);  // minimise
}

TEST(GamePageSound, AppliedFirstTimeAndOnChange) {
    MuteLatch latch;
    EXPECT_TRUE(latch.Update(0));
    EXPECT_FALSE(latch.Update(0));
    EXPECT_TRUE(latch.Update(1));
    EXPECT_FALSE(latch.Update(1));
    EXPECT_FALSE(latch.Update(7));  // any nonzero flag means silenced
    EXPECT_TRUE(latch.Update(0));

    MuteLatch first;
    EXPECT_TRUE(first.Update(1));
}
