// What assistive technology is told about the controls we draw ourselves: their
// names, roles and states, and the frame's texts that both its tooltips and its
// buttons' names use. Platform-free; the numbers are those of the system's
// accessibility interface (its ROLE_SYSTEM_ and STATE_SYSTEM_ values).
#pragma once
#include <string>

namespace ovn::skin {

enum AccRole : long {
    RoleLink = 0x1E,
    RolePageTab = 0x25,
    RoleStaticText = 0x29,
    RolePushButton = 0x2B,
    RoleProgressBar = 0x30,
    RolePageTabList = 0x3C,
};

enum AccState : long {
    StateSelected = 0x2,
    StateFocused = 0x4,
    StatePressed = 0x8,
    StateFocusable = 0x100000,
    StateSelectable = 0x200000,
    StateLinked = 0x400000,
};

// The frame's system buttons: their tooltips and their names.
inline constexpr wchar_t kTextClose[] = L"关闭";
inline constexpr wchar_t kTextMaximize[] = L"最大化";
inline constexpr wchar_t kTextRestore[] = L"还原";
inline constexpr wchar_t kTextMinimize[] = L"最小化";

// A control as it is described: added states come on top of what the system
// reads from the window itself (visible, focused, unavailable...).
struct AccFace {
    std::wstring name;
    long role = 0;
    long addState = 0;
    std::wstring value;
    friend bool operator==(const AccFace&, const AccFace&) = default;
};

// An image button is called by the name it was given, else by its caption,
// else by its tooltip: an image says nothing to a screen reader. Pressed: a
// button that switches something on and off shows it is on.
AccFace ButtonFace(const std::wstring& name, const std::wstring& caption, const std::wstring& tip, bool pressed);
// A label is read as its text; as a link it is a link.
AccFace LabelFace(const std::wstring& text, bool link);
// A progress bar's value is its percentage.
AccFace ProgressFace(int position, int range);

}  // namespace ovn::skin
