#include "common/input.h"

#include "common/protocol.h"

namespace ovn {

int ModifierMask(bool ctrl, bool shift, bool alt) {
    return (ctrl ? kModCtrl : 0) | (shift ? kModShift : 0) | (alt ? kModAlt : 0);
}

bool HotkeySetting::Matches(std::uintptr_t pressedKey, int pressedModifiers) const {
    return key >= 0 && pressedKey == static_cast<std::uintptr_t>(key) && pressedModifiers == modifiers;
}

bool IsCtrlDAsTyped(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    // A range rather than a mask of the high 16 bits, so that a 64-bit lParam
    // with anything above bit 31 is not taken for a typed key.
    return message == kWmChar && wParam == kCharAddFavourite && lParam >= 0x200000 && lParam <= 0x20FFFF;
}

}  // namespace ovn
