// The page tab strip as assistive technology reads it, and as the keyboard
// drives it: a page-tab list with one page tab per account (its label, selected
// when current), each with its close box as a push button. Platform-free; the
// COM object that answers for the strip (tab_access_win) only reads this.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "launcher/tab_strip.h"
#include "launcher/title_texts.h"

namespace ovn::launcher {

// What activating a tab and its close box does.
inline constexpr wchar_t kActionSwitch[] = L"切换";
inline constexpr wchar_t kActionPress[] = L"按下";

// The tabs as they are now: labels in tab order, the current one.
struct TabListSnapshot {
    std::vector<std::wstring> labels;
    int selected = -1;  // -1: no tab
    bool focused = false;  // the strip has the keyboard
    DisplayScale scale;    // the window's, which places the tabs
    friend bool operator==(const TabListSnapshot&, const TabListSnapshot&) = default;
};
// The first `tabs` labels (a label claimed by a page that has not arrived yet
// is no tab) and the current tab.
TabListSnapshot SnapshotTabs(const std::vector<std::wstring>& labels, std::size_t tabs, std::size_t selected,
                             bool focused);

// One element as it is read: name, role, state and where it is (client pixels).
struct AccNode {
    std::wstring name;
    long role = 0;
    long state = 0;
    Span box;
    std::wstring defaultAction;
    friend bool operator==(const AccNode&, const AccNode&) = default;
};
AccNode TabListNode(const TabListSnapshot& tabs);
AccNode TabNode(const TabListSnapshot& tabs, int index);  // index must be a tab
AccNode TabCloseNode(int index, DisplayScale scale = {});

// The index of a tab by its label (labels are unique), -1 when it is gone: an
// object handed out for a tab stays that tab while others come and go.
int FindTab(const TabListSnapshot& tabs, const std::wstring& label);

// What listeners are told after the tabs changed; child is 1-based, 0 the list.
struct TabListEvent {
    enum Kind { Create, Destroy, NameChange, Reorder, Selection, Focus } kind;
    int child = 0;
    friend bool operator==(const TabListEvent&, const TabListEvent&) = default;
};
std::vector<TabListEvent> TabListChanges(const TabListSnapshot& before, const TabListSnapshot& after);

// A key pressed while the strip has the keyboard, as a tab control takes it:
// the arrows and Home/End select (no wrapping), Delete closes the current tab.
struct TabKeyOutcome {
    bool handled = false;
    int select = -1;
    int close = -1;
    friend bool operator==(const TabKeyOutcome&, const TabKeyOutcome&) = default;
};
TabKeyOutcome TabStripKey(unsigned vk, std::size_t tabs, int selected);

}  // namespace ovn::launcher
