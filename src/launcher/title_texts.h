// The texts of the launcher's title strip, each in one place: the captions its
// controls show, and the names a screen reader gives its image buttons (the
// words of the menu item or the feature each stands for).
#pragma once

namespace ovn::launcher {

inline constexpr wchar_t kTextSystemMenu[] = L"系统";
inline constexpr wchar_t kTextOtherAccount[] = L"登录其他账号";
inline constexpr wchar_t kTextHideRestore[] = L"隐藏/恢复";
inline constexpr wchar_t kTextMute[] = L"静音";
inline constexpr wchar_t kTextGameHall[] = L"游戏大厅";

}  // namespace ovn::launcher
