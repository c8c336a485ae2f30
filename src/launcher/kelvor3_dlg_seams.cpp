// Seams of the launcher window: features that arrive later. Each does nothing
// until its feature lands (and its body replaces the one here); the window works
// without them, only without that feature.
#include "launcher/kelvor3_dlg.h"

namespace ovn {

// Arrives with the notice pop-up.
void CKelvor3Dlg::ShowNoticePopup() {}

}  // namespace ovn
