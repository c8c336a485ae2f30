// The rules of the hotkey settings: the names of the keys, how a hotkey reads
// as text, which keys the settings dialog takes for which box, what a key press
// makes of a box, and what confirming the dialog stores. Platform-free.
#pragma once
#include <array>
#include <optional>
#include <string>

#include "common/input.h"

namespace ovn::settings {

// The name of a virtual key ("F10", "Tab", "Num 5", ";"); empty for a key the
// table does not list.
std::wstring KeyName(int vk);

// "无" for no key; otherwise "Ctrl  +  ", "Shift  +  ", "Alt  +  " for the
// modifiers held, in that order, then the key's name.
std::wstring FormatHotkeyText(const HotkeySetting& setting);

// A main key a hotkey may use (F1-F11, digits, letters, the cursor block, Insert,
// Caps, punctuation, Num Lock and the number pad). The window-switch key also
// takes Tab.
bool IsAllowedHotkeyKey(int vk);
bool IsAllowedFor(HotkeyId box, int vk);

// What the settings dialog does with a queued message before it is dispatched.
enum class CaptureStep {
    NotOurs,  // the dialog's own handling
    Swallow,  // Esc and Enter: neither close nor confirm
    Capture,  // a chord for the focused box (when one has the focus)
};
CaptureStep ClassifySettingsKey(unsigned message, int vk);

// What a key pressed in a box makes of it: its new text and, for an allowed key,
// the key the box now holds (the held key is kept otherwise).
struct Capture {
    std::wstring text;
    std::optional<int> key;
};
Capture CaptureChord(HotkeyId box, int vk, int modifiers);

// The hotkey a box's text stands for, given the key the box holds; none when the
// text says to keep the stored one (empty, or a modifier without a key).
std::optional<HotkeySetting> HotkeyFromText(const std::wstring& text, int heldKey);

// The three boxes as confirmed, in the order boss, switch, sound.
struct SettingsBoxes {
    std::array<std::wstring, 3> texts;
    std::array<int, 3> heldKeys{};
};
// Two boxes that show the same text, or two hotkeys that would be the same once
// stored (a new key equal to a kept one included), conflict.
bool HotkeysConflict(const SettingsBoxes& boxes, const std::array<HotkeySetting, 3>& stored);

}  // namespace ovn::settings
