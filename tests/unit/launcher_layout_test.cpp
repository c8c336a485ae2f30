#include "launcher/launcher_input.h"
#include "launcher/launcher_layout.h"

#include <gtest/gtest.h>

#include "common/protocol.h"
#include "res/resource.h"

using namespace ovn;
using namespace ovn::launcher;

TEST(LauncherLayout, MinimumSizes) {
    EXPECT_FALSE(ClampWindowSize(0, 1, 1).adjust);  // no pages: any size
    EXPECT_FALSE(ClampWindowSize(1, 672, 260).adjust);
    EXPECT_EQ(ClampWindowSize(1, 671, 500).width, 672);
    EXPECT_TRUE(ClampWindowSize(1, 671, 500).adjust);
    EXPECT_EQ(ClampWindowSize(1, 671, 500).height, 500);
    EXPECT_EQ(ClampWindowSize(2, 100, 100).width, 861);
    EXPECT_EQ(ClampWindowSize(2, 100, 100).height, 260);
    EXPECT_EQ(ClampWindowSize(3, 1049, 900).width, 1050);
    EXPECT_FALSE(ClampWindowSize(3, 1050, 260).adjust);
    auto low = ClampWindowSize(3, 1400, 259);
    EXPECT_TRUE(low.adjust);
    EXPECT_EQ(low.width, 1400);
    EXPECT_EQ(low.height, 260);
}

TEST(LauncherLayout, TitleStrip) {
    auto places = TitleStripLayout(1000);
    EXPECT_EQ(places[0].id, IDC_BTN_HIDE);
    EXPECT_EQ(places[0].box, (Box{886, 0, 27, 27}));
    EXPECT_EQ(places[1].box, (Box{859, 0, 27, 27}));
    EXPECT_EQ(places[2].box, (Box{815, 0, 44, 28}));
    EXPECT_EQ(places[3].box, (Box{736, 0, 79, 28}));
    EXPECT_EQ(places[4].id, IDC_LNK_OTHER_ACCOUNT);
    EXPECT_EQ(places[4].box, (Box{640, 7, 92, 16}));
}

namespace {

LauncherState WithPages(std::size_t pages) {
    LauncherState state;
    state.pages = pages;
    state.pageShown = pages > 0;
    state.switchKey = {9, kModCtrl};  // Ctrl+Tab
    return state;
}

LauncherAction Key(unsigned message, std::uintptr_t key, std::intptr_t lParam, int modifiers,
                   const LauncherState& state) {
    return DecideLauncherMessage({message, key, lParam, modifiers}, state);
}

}  // namespace

TEST(LauncherInput, SwitchKeyAndSwallowedKeys) {
    auto state = WithPages(2);
    EXPECT_EQ(Key(kWmKeyDown, 9, 0x000F0001, kModCtrl, state), LauncherAction::SwitchPage);
    EXPECT_EQ(Key(kWmSysKeyDown, 9, 0x000F0001, kModCtrl, state), LauncherAction::SwitchPage);
    EXPECT_EQ(Key(kWmKeyDown, 9, 0x000F0001, kModCtrl | kModShift, state), LauncherAction::PassOn);

    EXPECT_EQ(Key(kWmKeyDown, kVkEscape, 1, 0, state), LauncherAction::Swallow);
    EXPECT_EQ(Key(kWmKeyDown, kVkSpace, 1, 0, WithPages(0)), LauncherAction::Swallow);
    EXPECT_EQ(Key(kWmKeyDown, 'A', 1, 0, state), LauncherAction::PassOn);

    // A forwarded key that carries the marker is never the switch key.
    LauncherState f5Switch = WithPages(2);
    f5Switch.switchKey = {static_cast<int>(kVkF5), 0};
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, 1, 0, f5Switch), LauncherAction::SwitchPage);
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, ovn::CloseMarker, 0, f5Switch), LauncherAction::ForwardToPage);
}

TEST(LauncherInput, CloseRequests) {
    const auto close = [](std::intptr_t lParam, const LauncherState& state) {
        return DecideLauncherMessage({kWmSysCommand, kScClose, lParam, 0}, state);
    };
    // The first page's login was abandoned and its process is gone: nothing
    // left, leave without asking.
    EXPECT_EQ(close(ovn::CloseMarker, WithPages(0)), LauncherAction::Exit);
    // While a page is pending, the request only makes the launcher look at that
    // process; a forged one must not end the launcher or drop the page.
    for (std::size_t pages : {0u, 1u}) {
        LauncherState pending = WithPages(pages);
        pending.pendingProcess = true;
        EXPECT_EQ(close(ovn::CloseMarker, pending), LauncherAction::CheckPending);
    }
    // No page pending: treated like the player's own close, which asks.
    EXPECT_EQ(close(ovn::CloseMarker, WithPages(1)), LauncherAction::PassOn);
    EXPECT_EQ(close(0, WithPages(0)), LauncherAction::Exit);
    EXPECT_EQ(close(0, WithPages(2)), LauncherAction::PassOn);
    EXPECT_EQ(close(0x00640064, WithPages(0)), LauncherAction::PassOn);
    // The system's low bits of the command do not change it.
    EXPECT_EQ(DecideLauncherMessage({kWmSysCommand, kScClose | 2, 0, 0}, WithPages(0)), LauncherAction::Exit);

    EXPECT_EQ(DecideLauncherMessage({kWmSysCommand, kScRestore, 0, 0}, WithPages(0)),
              LauncherAction::RestoreThenPassOn);
    EXPECT_EQ(DecideLauncherMessage({kWmSysCommand, kScRestore, 0, 0}, WithPages(1)), LauncherAction::PassOn);
}

TEST(LauncherInput, RefreshAndFavouriteGoToWhatIsShown) {
    const std::intptr_t ctrlD = 0x00200001;  // scan code 0x20, repeat 1
    auto page = WithPages(1);
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, 0x003F0001, 0, page), LauncherAction::ForwardToPage);
    EXPECT_EQ(Key(kWmChar, 4, ctrlD, 0, page), LauncherAction::ForwardToPage);
    EXPECT_EQ(Key(kWmChar, 4, ctrlD | 0x40000000, 0, page), LauncherAction::PassOn);  // not as typed

    auto hall = WithPages(1);
    hall.pageShown = false;
    hall.hallShown = true;
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, 1, 0, hall), LauncherAction::ForwardToHall);
    EXPECT_EQ(Key(kWmChar, 4, ctrlD, 0, hall), LauncherAction::ForwardToHall);
    hall.hallShown = false;
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, 1, 0, hall), LauncherAction::Swallow);
    // Without pages F5 is left alone.
    EXPECT_EQ(Key(kWmKeyDown, kVkF5, 1, 0, WithPages(0)), LauncherAction::PassOn);
}

TEST(LauncherInput, TheHallTheMenuAndThePromptWaitForTheFirstPage) {
    for (unsigned id : {IDC_BTN_HALL, IDC_BTN_MENU, IDC_LNK_OTHER_ACCOUNT}) {
        EXPECT_FALSE(TitleCommandAllowed(id, false)) << id;
        EXPECT_TRUE(TitleCommandAllowed(id, true)) << id;
    }
    // Hiding and muting do not need a page.
    for (unsigned id : {IDC_BTN_HIDE, IDC_BTN_SOUND})
        EXPECT_TRUE(TitleCommandAllowed(id, false)) << id;
}
