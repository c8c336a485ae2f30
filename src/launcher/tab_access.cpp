#include "launcher/tab_access.h"

#include "skin/access_rules.h"

namespace ovn::launcher {

namespace {

constexpr unsigned kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28,
                   kVkDelete = 0x2E;

}  // namespace

TabListSnapshot SnapshotTabs(const std::vector<std::wstring>& labels, std::size_t tabs, std::size_t selected,
                             bool focused) {
    TabListSnapshot s;
    for (std::size_t i = 0; i < tabs; ++i)
        s.labels.push_back(i < labels.size() ? labels[i] : std::wstring());
    s.selected = selected < tabs ? static_cast<int>(selected) : -1;
    s.focused = focused;
    return s;
}

AccNode TabListNode(const TabListSnapshot& tabs) {
    AccNode n;
    n.role = skin::RolePageTabList;
    n.state = skin::StateFocusable | (tabs.focused ? long{skin::StateFocused} : 0L);
    n.box = TabStripRect(tabs.labels.size(), tabs.scale);
    return n;
}

AccNode TabNode(const TabListSnapshot& tabs, int index) {
    AccNode n;
    n.name = tabs.labels[static_cast<std::size_t>(index)];
    n.role = skin::RolePageTab;
    n.state = skin::StateSelectable | skin::StateFocusable;
    if (index == tabs.selected)
        n.state |= skin::StateSelected | (tabs.focused ? long{skin::StateFocused} : 0L);
    n.box = TabRect(index, tabs.scale);
    n.defaultAction = kActionSwitch;
    return n;
}

AccNode TabCloseNode(int index, DisplayScale scale) {
    AccNode n;
    n.name = skin::kTextClose;
    n.role = skin::RolePushButton;
    n.box = TabCloseBoxRect(index, scale);
    n.defaultAction = kActionPress;
    return n;
}

int FindTab(const TabListSnapshot& tabs, const std::wstring& label) {
    for (std::size_t i = 0; i < tabs.labels.size(); ++i)
        if (tabs.labels[i] == label)
            return static_cast<int>(i);
    return -1;
}

std::vector<TabListEvent> TabListChanges(const TabListSnapshot& before, const TabListSnapshot& after) {
    std::vector<TabListEvent> events;
    const std::size_t was = before.labels.size(), now = after.labels.size();
    // Tabs are told apart by their labels: one closed in the middle moves the
    // later ones down, and those keep their names.
    bool moved = false;
    for (std::size_t i = 0; i < was; ++i)
        if (FindTab(after, before.labels[i]) < 0)
            events.push_back({TabListEvent::Destroy, static_cast<int>(i) + 1});
    for (std::size_t i = 0; i < now; ++i) {
        const int old = FindTab(before, after.labels[i]);
        if (old < 0)
            events.push_back({TabListEvent::Create, static_cast<int>(i) + 1});
        else if (old != static_cast<int>(i))
            moved = true;
    }
    if (moved)
        events.push_back({TabListEvent::Reorder, 0});
    const std::wstring current = after.selected >= 0 ? after.labels[static_cast<std::size_t>(after.selected)] : L"";
    const std::wstring wasCurrent =
        before.selected >= 0 ? before.labels[static_cast<std::size_t>(before.selected)] : L"";
    if (after.selected >= 0 && (current != wasCurrent || (!before.focused && after.focused))) {
        if (current != wasCurrent)
            events.push_back({TabListEvent::Selection, after.selected + 1});
        if (after.focused)
            events.push_back({TabListEvent::Focus, after.selected + 1});
    }
    return events;
}

TabKeyOutcome TabStripKey(unsigned vk, std::size_t tabs, int selected) {
    TabKeyOutcome out;
    const int last = static_cast<int>(tabs) - 1;
    int to = -1;
    switch (vk) {
    case kVkLeft:
    case kVkUp: to = selected > 0 ? selected - 1 : selected; break;
    case kVkRight:
    case kVkDown: to = selected < last ? selected + 1 : selected; break;
    case kVkHome: to = 0; break;
    case kVkEnd: to = last; break;
    case kVkDelete:
        out.handled = true;
        if (selected >= 0 && selected <= last)
            out.close = selected;
        return out;
    default: return out;
    }
    out.handled = true;
    if (tabs > 0 && to >= 0 && to != selected)
        out.select = to;
    return out;
}

}  // namespace ovn::launcher
