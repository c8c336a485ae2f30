// What the input rules of the launcher and of its pages read. The system's
// message, command and key numbers are spelled out here, so that the rules build
// and are tested without <windows.h>. Platform-free.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmChar = 0x0102;
inline constexpr unsigned kWmSysKeyDown = 0x0104;
inline constexpr unsigned kWmSysCommand = 0x0112;
inline constexpr std::uintptr_t kScClose = 0xF060;
inline constexpr std::uintptr_t kScRestore = 0xF120;
inline constexpr std::uintptr_t kVkEscape = 0x1B;
inline constexpr std::uintptr_t kVkSpace = 0x20;
inline constexpr std::uintptr_t kVkF5 = 0x74;

// A queued message as a key filter looks at it, before it is dispatched.
struct InputMessage {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    int modifiers = 0;  // the live modifier state, for key messages
};

// Modifier bits of a hotkey and of a key press.
inline constexpr int kModAlt = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModShift = 4;

// The modifier mask of the modifier keys held down.
int ModifierMask(bool ctrl, bool shift, bool alt);

// A hotkey as the settings store it: a virtual-key code and a modifier mask.
// Both are -1 until the setting is loaded, so that nothing matches; key 0 is
// "no hotkey" and never matches either.
struct HotkeySetting {
    int key = -1;
    int modifiers = -1;

    // A press of this key with exactly these modifiers held.
    bool Matches(std::uintptr_t pressedKey, int pressedModifiers) const;
    friend bool operator==(const HotkeySetting&, const HotkeySetting&) = default;
};

// The three hotkeys and where Statistic.ini keeps them (section "Ovn").
enum class HotkeyId { Boss, Switch, Sound };
inline constexpr HotkeyId kAllHotkeys[] = {HotkeyId::Boss, HotkeyId::Switch, HotkeyId::Sound};
inline constexpr wchar_t kHotkeySection[] = L"Ovn";
// "ShortKey", "AltWndKey", "SndKey".
const wchar_t* HotkeyIniKey(HotkeyId id);
// F10 alone, Ctrl+Tab, Ctrl+Q.
HotkeySetting DefaultHotkey(HotkeyId id);

// The stored form: the modifiers, a comma and the key, in decimal ("2,9").
std::wstring FormatHotkeyValue(const HotkeySetting& setting);
// A stored value read back: exactly two decimal numbers, the modifiers (0-7) and
// the key (0-255), joined by one comma; anything else is no value at all.
std::optional<HotkeySetting> ParseHotkeyValue(std::wstring_view text);
// What a hotkey is when its stored text is this: a value that does not read
// (text, a sign, a number out of range, no comma) is the default, never a key
// nobody chose.
HotkeySetting HotkeyFromStored(HotkeyId id, std::wstring_view text);

// Ctrl+D as the player typed it: WM_CHAR 4 whose lParam holds scan code 0x20 and
// no extended, context or previous-state bit, so that an auto-repeat opens no
// second dialog; any repeat count. The launcher forwards it to the page or hall
// it shows, which opens its add-favourite dialog for it.
bool IsCtrlDAsTyped(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace ovn
