#include "launcher/keyboard_rules.h"

namespace ovn::launcher {

HookAction DecideHookKey(std::size_t pages, unsigned message, std::uintptr_t vk, int modifiers,
                         const HotkeySetting& boss, const HotkeySetting& sound) {
    if (pages == 0 || (message != kWmKeyDown && message != kWmSysKeyDown))
        return HookAction::None;
    if (boss.Matches(vk, modifiers))
        return HookAction::ToggleHide;
    if (sound.Matches(vk, modifiers))
        return HookAction::ToggleSound;
    return HookAction::None;
}

}  // namespace ovn::launcher
