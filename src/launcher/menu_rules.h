// The launcher's two pop-up menus (the system menu under the "系统" button and
// the tray menu), their items and what each chosen item does, and what the tray
// icon's mouse messages do. Platform-free: the window builds the menus from
// these items and carries the decided command out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/input.h"

namespace ovn::launcher {

enum class MenuKind { System, Tray };

// The command ids of the items, as the menu hands them back.
inline constexpr unsigned kMenuRefresh = 1;
inline constexpr unsigned kMenuHideRestore = 2;
inline constexpr unsigned kMenuClearCache = 3;
inline constexpr unsigned kMenuUpdate = 4;
inline constexpr unsigned kMenuSettings = 5;
inline constexpr unsigned kMenuQuit = 6;
// The version item has no command. Its id is one no command uses rather than
// all bits set: a menu takes an item of id -1 for "nothing chosen" and stays
// open when it is clicked, where the player expects it to close.
inline constexpr unsigned kMenuVersion = 7;

struct MenuItem {
    unsigned id = 0;
    std::wstring text;       // empty for the separator
    bool separator = false;
};

// The items in order; item 2 names the boss key as stored when the menu opens.
std::vector<MenuItem> MenuItems(MenuKind kind, const HotkeySetting& bossKey);

enum class MenuCommand { None, Refresh, HideRestore, ClearCache, Update, Settings, Quit };

// What the id the menu handed back (0: dismissed) does in that menu. Quitting
// is offered by the tray menu only; the version item does nothing.
MenuCommand DecideMenuCommand(MenuKind kind, unsigned id);

// The tray icon's callback: what its mouse message (lParam) does.
enum class TrayAction { None, HideRestore, OpenMenu };
TrayAction DecideTrayMessage(std::uintptr_t mouseMessage);

}  // namespace ovn::launcher
