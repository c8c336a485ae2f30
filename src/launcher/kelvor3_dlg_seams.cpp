// Seams of the launcher window: features that arrive later. Each does nothing
// until its feature lands (and its body replaces the one here); the window works
// without them, only without that feature.
#include "launcher/kelvor3_dlg.h"

namespace ovn {

// Arrives with the tray icon.
void CKelvor3Dlg::SetTrayIcon(bool) {}
// Arrives with the tray icon: left click hides or restores, right click opens the menu.
void CKelvor3Dlg::OnTrayNotify(WPARAM, LPARAM) {}
// Arrives with the launcher menus.
void CKelvor3Dlg::ShowTrayMenu() {}
// Arrives with the launcher menus.
void CKelvor3Dlg::ShowSystemMenu() {}
// Arrives with cache clearing.
void CKelvor3Dlg::StartCacheClearing() {}

}  // namespace ovn
