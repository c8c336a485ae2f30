#include "common/input.h"

#include "common/protocol.h"
#include "common/text.h"

namespace ovn {

int ModifierMask(bool ctrl, bool shift, bool alt) {
    return (ctrl ? kModCtrl : 0) | (shift ? kModShift : 0) | (alt ? kModAlt : 0);
}

bool HotkeySetting::Matches(std::uintptr_t pressedKey, int pressedModifiers) const {
    return key > 0 && pressedKey == static_cast<std::uintptr_t>(key) && pressedModifiers == modifiers;
}

const wchar_t* HotkeyIniKey(HotkeyId id) {
    switch (id) {
    case HotkeyId::Boss: return L"ShortKey";
    case HotkeyId::Switch: return L"AltWndKey";
    case HotkeyId::Sound: return L"SndKey";
    }
    return L"";
}

HotkeySetting DefaultHotkey(HotkeyId id) {
    switch (id) {
    case HotkeyId::Boss: return {121, 0};
    case HotkeyId::Switch: return {9, kModCtrl};
    case HotkeyId::Sound: return {81, kModCtrl};
    }
    return {};
}

std::wstring FormatHotkeyValue(const HotkeySetting& setting) {
    return std::to_wstring(setting.modifiers) + L"," + std::to_wstring(setting.key);
}

namespace {

// A decimal number of one to three digits, no sign or blank, at most max.
std::optional<int> SmallNumber(std::wstring_view digits, int max) {
    const auto value = ReadDigits(digits, 3);
    if (!value || *value > max)
        return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::optional<HotkeySetting> ParseHotkeyValue(std::wstring_view text) {
    const std::size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos)
        return std::nullopt;
    const auto modifiers = SmallNumber(text.substr(0, comma), kModAlt | kModCtrl | kModShift);
    const auto key = SmallNumber(text.substr(comma + 1), 255);
    if (!modifiers || !key)
        return std::nullopt;
    return HotkeySetting{*key, *modifiers};
}

HotkeySetting HotkeyFromStored(HotkeyId id, std::wstring_view text) {
    return ParseHotkeyValue(text).value_or(DefaultHotkey(id));
}

bool IsCtrlDAsTyped(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    // A range rather than a mask of the high 16 bits, so that a 64-bit lParam
    // with anything above bit 31 is not taken for a typed key.
    return message == kWmChar && wParam == kCharAddFavourite && lParam >= 0x200000 && lParam <= 0x20FFFF;
}

}  // namespace ovn
