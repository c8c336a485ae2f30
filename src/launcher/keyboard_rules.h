// What the launcher's system-wide keyboard hook does with a key press: the boss
// key hides or restores everything, the sound key flips the sound. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/input.h"

namespace ovn::launcher {

enum class HookAction { None, ToggleHide, ToggleSound };

// Nothing before the first page has arrived; only key-down messages; the boss
// key wins when both hotkeys are the same chord.
HookAction DecideHookKey(std::size_t pages, unsigned message, std::uintptr_t vk, int modifiers,
                         const HotkeySetting& boss, const HotkeySetting& sound);

}  // namespace ovn::launcher
