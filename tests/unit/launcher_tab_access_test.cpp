#include "launcher/tab_access.h"

#include <gtest/gtest.h>

#include "skin/access_rules.h"

using namespace ovn::launcher;
using ovn::skin::RolePageTab;
using ovn::skin::RolePageTabList;
using ovn::skin::RolePushButton;
using ovn::skin::StateFocusable;
using ovn::skin::StateFocused;
using ovn::skin::StateSelectable;
using ovn::skin::StateSelected;

namespace {

using Events = std::vector<TabListEvent>;

TabListSnapshot Tabs(std::vector<std::wstring> labels, int selected, bool focused = false) {
    return {std::move(labels), selected, focused};
}

}  // namespace

TEST(TabAccess, TheTreeOfTheStrip) {
    // A label claimed by a page that has not arrived is no tab yet.
    const TabListSnapshot s = SnapshotTabs({L"1服-甲-a", L"2服-乙-b", L"pending"}, 2, 1, true);
    EXPECT_EQ(s, Tabs({L"1服-甲-a", L"2服-乙-b"}, 1, true));
    EXPECT_EQ(SnapshotTabs({}, 0, 0, false).selected, -1);

    const AccNode list = TabListNode(s);
    EXPECT_EQ(list.role, RolePageTabList);
    EXPECT_EQ(list.box, TabStripRect(2));
    EXPECT_EQ(list.state, StateFocusable | StateFocused);

    const AccNode first = TabNode(s, 0), second = TabNode(s, 1);
    EXPECT_EQ(first.name, L"1服-甲-a");
    EXPECT_EQ(first.role, RolePageTab);
    EXPECT_EQ(first.state, StateSelectable | StateFocusable);
    EXPECT_EQ(first.box, TabRect(0));
    EXPECT_EQ(second.state, StateSelectable | StateFocusable | StateSelected | StateFocused);
    // Without the keyboard the current tab is selected, not focused.
    EXPECT_EQ(TabNode(Tabs({L"a", L"b"}, 1), 1).state, StateSelectable | StateFocusable | StateSelected);

    const AccNode close = TabCloseNode(1);
    EXPECT_EQ(close.name, L"关闭");  // the frame's close button's word
    EXPECT_EQ(close.role, RolePushButton);
    EXPECT_EQ(close.box, TabCloseBoxRect(1));
}

TEST(TabAccess, WhatListenersAreToldWhenTabsComeAndGo) {
    // The first tab arrives, current.
    EXPECT_EQ(TabListChanges(Tabs({}, -1), Tabs({L"a"}, 0)),
              (Events{{TabListEvent::Create, 1}, {TabListEvent::Selection, 1}}));
    // A second one, made current.
    EXPECT_EQ(TabListChanges(Tabs({L"a"}, 0), Tabs({L"a", L"b"}, 1)),
              (Events{{TabListEvent::Create, 2}, {TabListEvent::Selection, 2}}));
    // The first of three closed: the others move down, the current one keeps
    // its label and is not announced again.
    EXPECT_EQ(TabListChanges(Tabs({L"a", L"b", L"c"}, 2), Tabs({L"b", L"c"}, 1)),
              (Events{{TabListEvent::Destroy, 1}, {TabListEvent::Reorder, 0}}));
    // The current last tab closed: the one before becomes current.
    EXPECT_EQ(TabListChanges(Tabs({L"a", L"b"}, 1), Tabs({L"a"}, 0)),
              (Events{{TabListEvent::Destroy, 2}, {TabListEvent::Selection, 1}}));
    // With the keyboard on the strip, the new current tab also has the focus;
    // the keyboard arriving announces the current tab.
    EXPECT_EQ(TabListChanges(Tabs({L"a", L"b"}, 0, true), Tabs({L"a", L"b"}, 1, true)),
              (Events{{TabListEvent::Selection, 2}, {TabListEvent::Focus, 2}}));
    EXPECT_EQ(TabListChanges(Tabs({L"a", L"b"}, 0), Tabs({L"a", L"b"}, 0, true)),
              (Events{{TabListEvent::Focus, 1}}));
    // Nothing changed, nothing told.
    EXPECT_EQ(TabListChanges(Tabs({L"a", L"b"}, 1, true), Tabs({L"a", L"b"}, 1, true)), Events{});
    EXPECT_EQ(TabListChanges(Tabs({L"a"}, 0, true), Tabs({L"a"}, 0)), Events{});
}

TEST(TabAccess, KeysOnTheStrip) {
    constexpr unsigned kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kHome = 0x24, kEnd = 0x23, kDel = 0x2E;
    EXPECT_EQ(TabStripKey(kLeft, 3, 2), (TabKeyOutcome{true, 1, -1}));
    EXPECT_EQ(TabStripKey(kUp, 3, 1), (TabKeyOutcome{true, 0, -1}));
    EXPECT_EQ(TabStripKey(kRight, 3, 0), (TabKeyOutcome{true, 1, -1}));
    EXPECT_EQ(TabStripKey(kDown, 3, 1), (TabKeyOutcome{true, 2, -1}));
    // No wrapping at either end: the key is taken, nothing changes.
    EXPECT_EQ(TabStripKey(kLeft, 3, 0), (TabKeyOutcome{true, -1, -1}));
    EXPECT_EQ(TabStripKey(kRight, 3, 2), (TabKeyOutcome{true, -1, -1}));
    EXPECT_EQ(TabStripKey(kHome, 3, 2), (TabKeyOutcome{true, 0, -1}));
    EXPECT_EQ(TabStripKey(kEnd, 3, 0), (TabKeyOutcome{true, 2, -1}));
    EXPECT_EQ(TabStripKey(kDel, 3, 1), (TabKeyOutcome{true, -1, 1}));
    // No tabs: the keys are the strip's, and do nothing.
    EXPECT_EQ(TabStripKey(kEnd, 0, -1), (TabKeyOutcome{true, -1, -1}));
    EXPECT_EQ(TabStripKey(kDel, 0, -1), (TabKeyOutcome{true, -1, -1}));
    // Others are left to the dialog (Tab moves on, Ctrl+Tab switches pages).
    EXPECT_FALSE(TabStripKey(0x09, 3, 0).handled);
    EXPECT_FALSE(TabStripKey(0x0D, 3, 0).handled);
}
