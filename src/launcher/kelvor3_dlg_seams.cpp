// Seams of the launcher window: features that arrive later. Each does nothing
// until its feature lands (and its body replaces the one here); the window works
// without them, only without that feature.
#include "launcher/kelvor3_dlg.h"

namespace ovn {

// Arrives with the keyboard hook: the system-wide boss and sound keys.
void CKelvor3Dlg::InstallKeyboardHook() {}
// Arrives with the keyboard hook.
void CKelvor3Dlg::RemoveKeyboardHook() {}
// Arrives with the hotkey settings: reads the three keys and tells the pages and the hall.
void CKelvor3Dlg::LoadHotkeys() {}
// Arrives with the hotkey actions: hides or restores the launcher with all its pages.
void CKelvor3Dlg::ToggleHideAll() {}
// Arrives with the hotkey actions: brings the launcher in front of the focused program.
void CKelvor3Dlg::ForceForeground() {}
// Arrives with the tray icon.
void CKelvor3Dlg::SetTrayIcon(bool) {}
// Arrives with the tray icon: left click hides or restores, right click opens the menu.
void CKelvor3Dlg::OnTrayNotify(WPARAM, LPARAM) {}
// Arrives with the launcher menus.
void CKelvor3Dlg::ShowTrayMenu() {}
// Arrives with the launcher menus.
void CKelvor3Dlg::ShowSystemMenu() {}
// Arrives with the notice pop-up.
void CKelvor3Dlg::ShowNoticePopup() {}
// Arrives with cache clearing.
void CKelvor3Dlg::StartCacheClearing() {}

}  // namespace ovn
