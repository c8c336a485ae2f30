// The hotkeys in Statistic.ini next to the running executable, and telling the
// running launchers that they changed.
#pragma once
#include <string>

#include "common/input.h"

namespace ovn::settings {

// The executable's folder + "Statistic.ini".
std::wstring HotkeyIniPath();
// The stored hotkey, or its default when there is none or it does not read.
HotkeySetting ReadHotkeySetting(HotkeyId id);
bool WriteHotkeySetting(HotkeyId id, const HotkeySetting& setting);
// Posts WM_USER+4 to every launcher window (at most 10) so it reloads its keys.
void NotifyHotkeysChanged();

}  // namespace ovn::settings
