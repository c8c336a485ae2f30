// The launcher's side of the notice pop-up: timer 4 opens it, once per
// launcher, a few seconds after the first page arrived, so that the notice
// comes over a game that is already on screen and not over the login.
#include "launcher/kelvor3_dlg.h"

namespace ovn {

void CKelvor3Dlg::ShowNoticePopup() { m_popInfoDlg.OpenOnce(hwnd()); }

}  // namespace ovn
