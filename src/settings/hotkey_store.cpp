#include "settings/hotkey_store.h"

#include <windows.h>

#include <string_view>

#include "common/log.h"
#include "common/protocol.h"
#include "process/process.h"

namespace ovn::settings {

std::wstring HotkeyIniPath() { return LocalSettingsPath(); }

HotkeySetting ReadHotkeySetting(HotkeyId id) {
    const std::wstring path = HotkeyIniPath();
    if (path.empty())
        return DefaultHotkey(id);
    wchar_t text[64] = {};
    const DWORD n = ::GetPrivateProfileStringW(kHotkeySection, HotkeyIniKey(id), FormatHotkeyValue(DefaultHotkey(id)).c_str(),
                                               text, 64, path.c_str());
    // A value cut short by the buffer is not the value that was stored.
    if (n >= 63)
        return DefaultHotkey(id);
    return HotkeyFromStored(id, std::wstring_view(text, n));
}

bool WriteHotkeySetting(HotkeyId id, const HotkeySetting& setting) {
    const std::wstring path = HotkeyIniPath();
    if (!path.empty() && ::WritePrivateProfileStringW(kHotkeySection, HotkeyIniKey(id),
                                                      FormatHotkeyValue(setting).c_str(), path.c_str()))
        return true;
    LogFailureF(::GetLastError(), L"hotkey %ls not written to %ls", HotkeyIniKey(id), path.c_str());
    return false;
}

void NotifyHotkeysChanged() {
    HWND found[10];
    int count = 0;
    for (HWND w = ::GetWindow(::GetDesktopWindow(), GW_CHILD); w && count < 10; w = ::GetWindow(w, GW_HWNDNEXT)) {
        wchar_t text[128] = {}, cls[64] = {};
        ::GetWindowTextW(w, text, 128);
        ::GetClassNameW(w, cls, 64);
        // A title and a class are anybody's to take, and our own message boxes
        // bear the same: only a launcher window of this program is told.
        if (std::wstring_view(text) == L"QuenraOrvane" && std::wstring_view(cls) == L"#32770" &&
            IsOurLauncherWindow(w))
            found[count++] = w;
    }
    for (int i = 0; i < count; ++i)
        ::PostMessageW(found[i], kMsgHotkeysChanged, 0, 0);
}

}  // namespace ovn::settings
