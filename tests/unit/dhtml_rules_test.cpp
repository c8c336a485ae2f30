#include "browser/dhtml_rules.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

TEST(DhtmlAppFilter, AppUrlsStayJavascriptRunsOthersAsProposed) {
    EXPECT_EQ(AppUrlFilter(L"app://loadgame|x"), CancelFlag::Set);
    EXPECT_EQ(AppUrlFilter(L"app:"), CancelFlag::Set);
    EXPECT_EQ(AppUrlFilter(L"APP://loadgame|x"), CancelFlag::Keep);
    EXPECT_EQ(AppUrlFilter(L"javascript:void(0)"), CancelFlag::Clear);
    EXPECT_EQ(AppUrlFilter(L"JavaScript:void(0)"), CancelFlag::Keep);
    EXPECT_EQ(AppUrlFilter(L"http://www.quenra.com/?app:"), CancelFlag::Keep);
    EXPECT_EQ(AppUrlFilter(L"ap"), CancelFlag::Keep);
}

TEST(DhtmlEvents, DispatchIdentifiers) {
    EXPECT_EQ(PageEventFromDispId(static_cast<std::int32_t>(0x80010009u)), PageEvent::MouseOut);
    EXPECT_EQ(PageEventFromDispId(static_cast<std::int32_t>(0x80010008u)), PageEvent::MouseOver);
    EXPECT_EQ(PageEventFromDispId(-605), PageEvent::MouseDown);
    EXPECT_EQ(PageEventFromDispId(-607), PageEvent::MouseUp);
    EXPECT_EQ(PageEventFromDispId(-606), PageEvent::MouseMove);
    EXPECT_EQ(PageEventFromDispId(1023), PageEvent::ContextMenu);
    EXPECT_EQ(PageEventFromDispId(-600), std::nullopt);  // click is the page's own
}

TEST(DhtmlEvents, ButtonsBeforeDragSurfaces) {
    // The class must be exactly "button"; the tag is read in any case.
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"DIV", L"button"), PageAction::ButtonPress);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"A", L"button"), PageAction::ButtonPress);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseUp, L"span", L"button"), PageAction::ButtonMouseUp);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseOver, L"img", L"button"), PageAction::ButtonHover);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseOut, L"img", L"button"), PageAction::ButtonNormal);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"DIV", L"Button"), PageAction::DragStart);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"DIV", L"button big"), PageAction::DragStart);
    // A button's move falls to its tag: a div button drags, an image button does nothing.
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseMove, L"div", L"button"), PageAction::DragMove);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseMove, L"img", L"button"), PageAction::None);

    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"BODY", L""), PageAction::DragStart);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseUp, L"td", L""), PageAction::DragEnd);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseMove, L"Div", L"x"), PageAction::DragMove);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::ContextMenu, L"BODY", L""), PageAction::Cancel);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseOver, L"BODY", L""), PageAction::None);
    // Links, inputs and text keep the page's own behaviour.
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"A", L""), PageAction::None);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"INPUT", L""), PageAction::None);
    EXPECT_EQ(DhtmDlgExAction(PageEvent::MouseDown, L"TR", L""), PageAction::None);
}

TEST(DhtmlEvents, LoginPageDragsExceptOverItsCornerControls) {
    EXPECT_EQ(LoginPageAction(PageEvent::MouseDown, L"BODY", 10, 10), PageAction::DragStart);
    EXPECT_EQ(LoginPageAction(PageEvent::MouseUp, L"TD", 500, 300), PageAction::DragEnd);
    EXPECT_EQ(LoginPageAction(PageEvent::MouseMove, L"DIV", 827, 100), PageAction::DragMove);
    // No sprite buttons on the login page: a div button drags like any div.
    EXPECT_EQ(LoginPageAction(PageEvent::MouseOver, L"DIV", 10, 10), PageAction::None);
    EXPECT_EQ(LoginPageAction(PageEvent::ContextMenu, L"BODY", 10, 10), PageAction::None);
    EXPECT_EQ(LoginPageAction(PageEvent::MouseDown, L"A", 10, 10), PageAction::None);

    // Both edges of the excluded rectangle belong to it.
    for (auto [x, y] : {std::pair{828, 88}, {876, 118}, {828, 118}, {876, 88}, {850, 100}}) {
        EXPECT_TRUE(LoginDragExcluded(x, y)) << x << "," << y;
        EXPECT_EQ(LoginPageAction(PageEvent::MouseDown, L"DIV", x, y), PageAction::Cancel);
    }
    for (auto [x, y] : {std::pair{827, 100}, {877, 100}, {850, 87}, {850, 119}})
        EXPECT_FALSE(LoginDragExcluded(x, y)) << x << "," << y;
}

TEST(SpriteButton, FramesOfTheStrip) {
    EXPECT_EQ(SpriteOffsetX(ButtonFrame::Normal, 60), 0);
    EXPECT_EQ(SpriteOffsetX(ButtonFrame::Hover, 60), -60);
    EXPECT_EQ(SpriteOffsetX(ButtonFrame::Pressed, 60), -120);
}

TEST(SpriteButton, EventsWithAndWithoutAPressInProgress) {
    const ButtonEffect none{};
    const ButtonEffect normal{ButtonFrame::Normal};
    const ButtonEffect hover{ButtonFrame::Hover};
    // Idle: over, out, press.
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonHover, false, false), hover);
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonNormal, false, false), normal);
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonPress, false, false), (ButtonEffect{ButtonFrame::Pressed, true}));
    // While a button is pressed, no other button changes its frame.
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonHover, false, true), none);
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonNormal, false, true), none);
    // A disabled button keeps its frame and is never pressed; out still restores normal.
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonHover, true, false), none);
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonPress, true, false), none);
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonNormal, true, false), normal);
    // A mouse-up without a press of ours clicks, disabled or not.
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonMouseUp, false, false), (ButtonEffect{ButtonFrame::Hover, false, true}));
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonMouseUp, true, false), (ButtonEffect{std::nullopt, false, true}));
    // With a press in progress the window's release clicks, not the event as well.
    EXPECT_EQ(ButtonEventEffect(PageAction::ButtonMouseUp, false, true), none);
    // Not a button action.
    EXPECT_EQ(ButtonEventEffect(PageAction::DragStart, false, false), none);
}

TEST(SpriteButton, ReleaseClicksOnlyOverTheButton) {
    const ElementBox box{100, 40, 60, 24};  // right and bottom edges at 160, 64
    EXPECT_EQ(ButtonReleaseEffect(box, 100, 40, false), (ButtonEffect{ButtonFrame::Hover, false, true}));
    EXPECT_EQ(ButtonReleaseEffect(box, 159, 63, false), (ButtonEffect{ButtonFrame::Hover, false, true}));
    for (auto [x, y] : {std::pair{160, 50}, {120, 64}, {99, 50}, {120, 39}, {-5, -5}})
        EXPECT_EQ(ButtonReleaseEffect(box, x, y, false), (ButtonEffect{ButtonFrame::Normal})) << x << "," << y;
    EXPECT_FALSE(BoxContains({0, 0, 0, 10}, 0, 5));
    EXPECT_FALSE(BoxContains({2147483600, 0, 100, 10}, -2147483600, 5));
}

TEST(SpriteButton, ReleasePointIsSigned) {
    // A release left of and above the window, as it comes with the capture held.
    EXPECT_EQ(PointFromLParam(static_cast<std::intptr_t>(0xFFF6FFFBu)), (ClientPoint{-5, -10}));
    EXPECT_EQ(PointFromLParam(static_cast<std::intptr_t>((40u << 16) | 120u)), (ClientPoint{120, 40}));
}
