#include "launcher/launcher_input.h"

#include "common/protocol.h"
#include "res/resource.h"

namespace ovn::launcher {

LauncherAction DecideLauncherMessage(const InputMessage& msg, const LauncherState& state) {
    const bool keyDown = msg.message == kWmKeyDown || msg.message == kWmSysKeyDown;

    // Keys the pages forward on our behalf carry the marker and are never hotkeys.
    if (keyDown && msg.lParam != CloseMarker && state.switchKey.Matches(msg.wParam, msg.modifiers))
        return LauncherAction::SwitchPage;

    // Esc and space would otherwise reach the dialog manager (cancel, default button).
    if (msg.message == kWmKeyDown && (msg.wParam == kVkEscape || msg.wParam == kVkSpace))
        return LauncherAction::Swallow;

    if (msg.message == kWmSysCommand && (msg.wParam & 0xFFF0) == kScClose) {
        if (msg.lParam == CloseMarker) {
            // A page abandoned its login. Anybody can post this, so while a page
            // is pending it only makes the launcher look at that process: the
            // request is over when the process has really ended.
            if (state.pendingProcess)
                return LauncherAction::CheckPending;
            if (state.pages == 0)
                return LauncherAction::Exit;  // nothing is left to show
        } else if (msg.lParam == 0 && state.pages == 0) {
            return LauncherAction::Exit;  // the player closes the still-empty launcher
        }
        return LauncherAction::PassOn;  // becomes the dialog's cancel, which asks
    }

    if (state.pages > 0) {
        const bool addFavourite = IsCtrlDAsTyped(msg.message, msg.wParam, msg.lParam);
        const bool refresh = msg.message == kWmKeyDown && msg.wParam == kVkF5;
        if (addFavourite || refresh) {
            if (state.pageShown)
                return LauncherAction::ForwardToPage;
            if (state.hallShown)
                return LauncherAction::ForwardToHall;
            return LauncherAction::Swallow;
        }
    }

    if (msg.message == kWmSysCommand && (msg.wParam & 0xFFF0) == kScRestore && state.pages == 0)
        return LauncherAction::RestoreThenPassOn;

    return LauncherAction::PassOn;
}

bool TitleCommandAllowed(unsigned controlId, bool pageArrived) {
    switch (controlId) {
    case IDC_BTN_HALL:
    case IDC_BTN_MENU:
    case IDC_LNK_OTHER_ACCOUNT:
        return pageArrived;
    default:
        return true;
    }
}

}  // namespace ovn::launcher
