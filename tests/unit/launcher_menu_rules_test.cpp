#include "launcher/menu_rules.h"

#include <gtest/gtest.h>

using namespace ovn::launcher;

namespace {

std::vector<std::wstring> Texts(const std::vector<MenuItem>& items) {
    std::vector<std::wstring> texts;
    for (const MenuItem& item : items)
        texts.push_back(item.separator ? L"-" : item.text);
    return texts;
}

}  // namespace

TEST(LauncherMenus, ItemsOfBothMenusNameTheStoredBossKey) {
    const ovn::HotkeySetting f10{121, 0};
    EXPECT_EQ(Texts(MenuItems(MenuKind::System, f10)),
              (std::vector<std::wstring>{L"刷新 (F5)", L"隐藏/恢复(F10)", L"清除缓存", L"-", L"更新", L"设置...",
                                         L"版本号: 3.0.0.1"}));
    EXPECT_EQ(Texts(MenuItems(MenuKind::Tray, f10)),
              (std::vector<std::wstring>{L"刷新 (F5)", L"隐藏/恢复(F10)", L"清除缓存", L"-", L"更新", L"设置...",
                                         L"退出"}));
    // Each shape of chord as the settings dialog writes it, and no key at all.
    EXPECT_EQ(MenuItems(MenuKind::Tray, {'H', ovn::kModCtrl | ovn::kModShift})[1].text,
              L"隐藏/恢复(Ctrl  +  Shift  +  H)");
    EXPECT_EQ(MenuItems(MenuKind::System, {'1', ovn::kModAlt})[1].text, L"隐藏/恢复(Alt  +  1)");
    EXPECT_EQ(MenuItems(MenuKind::System, {0, 0})[1].text, L"隐藏/恢复(无)");

    const auto system = MenuItems(MenuKind::System, f10);
    const std::vector<unsigned> ids = {1, 2, 3, 0, 4, 5, 7};
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(system[i].id, ids[i]) << i;
    EXPECT_EQ(MenuItems(MenuKind::Tray, f10).back().id, 6u);
}

TEST(LauncherMenus, CommandTable) {
    for (MenuKind kind : {MenuKind::System, MenuKind::Tray}) {
        EXPECT_EQ(DecideMenuCommand(kind, 1), MenuCommand::Refresh);
        EXPECT_EQ(DecideMenuCommand(kind, 2), MenuCommand::HideRestore);
        EXPECT_EQ(DecideMenuCommand(kind, 3), MenuCommand::ClearCache);
        EXPECT_EQ(DecideMenuCommand(kind, 4), MenuCommand::Update);
        EXPECT_EQ(DecideMenuCommand(kind, 5), MenuCommand::Settings);
        // Dismissed, the version item, anything else: nothing.
        EXPECT_EQ(DecideMenuCommand(kind, 0), MenuCommand::None);
        EXPECT_EQ(DecideMenuCommand(kind, kMenuVersion), MenuCommand::None);
        EXPECT_EQ(DecideMenuCommand(kind, 0xFFFFFFFFu), MenuCommand::None);
        EXPECT_EQ(DecideMenuCommand(kind, 8), MenuCommand::None);
    }
    // Quitting without a question is the tray menu's alone.
    EXPECT_EQ(DecideMenuCommand(MenuKind::Tray, 6), MenuCommand::Quit);
    EXPECT_EQ(DecideMenuCommand(MenuKind::System, 6), MenuCommand::None);

    EXPECT_EQ(DecideTrayMessage(0x0202), TrayAction::HideRestore);  // left button up
    EXPECT_EQ(DecideTrayMessage(0x0205), TrayAction::OpenMenu);     // right button up
    for (std::uintptr_t other : {0x0200u, 0x0201u, 0x0203u, 0x0204u, 0x0206u, 0x0400u})
        EXPECT_EQ(DecideTrayMessage(other), TrayAction::None) << other;
}
