#include "launcher/menu_rules.h"

#include "launcher/title_texts.h"
#include "settings/hotkey_rules.h"

namespace ovn::launcher {

std::vector<MenuItem> MenuItems(MenuKind kind, const HotkeySetting& bossKey) {
    std::vector<MenuItem> items = {
        {kMenuRefresh, L"刷新 (F5)"},
        {kMenuHideRestore, std::wstring(kTextHideRestore) + L"(" + settings::FormatHotkeyText(bossKey) + L")"},
        {kMenuClearCache, L"清除缓存"},
        {0, L"", true},
        {kMenuUpdate, L"更新"},
        {kMenuSettings, L"设置..."},
    };
    if (kind == MenuKind::System)
        items.push_back({kMenuVersion, L"版本号: 3.0.0.1"});
    else
        items.push_back({kMenuQuit, L"退出"});
    return items;
}

MenuCommand DecideMenuCommand(MenuKind kind, unsigned id) {
    switch (id) {
    case kMenuRefresh: return MenuCommand::Refresh;
    case kMenuHideRestore: return MenuCommand::HideRestore;
    case kMenuClearCache: return MenuCommand::ClearCache;
    case kMenuUpdate: return MenuCommand::Update;
    case kMenuSettings: return MenuCommand::Settings;
    case kMenuQuit: return kind == MenuKind::Tray ? MenuCommand::Quit : MenuCommand::None;
    default: return MenuCommand::None;
    }
}

TrayAction DecideTrayMessage(std::uintptr_t mouseMessage) {
    constexpr std::uintptr_t kLButtonUp = 0x0202, kRButtonUp = 0x0205;
    if (mouseMessage == kLButtonUp)
        return TrayAction::HideRestore;
    if (mouseMessage == kRButtonUp)
        return TrayAction::OpenMenu;
    return TrayAction::None;
}

}  // namespace ovn::launcher
