#include "skin/hover.h"

namespace ovn::skin {

void TrackHover(HWND control, bool& tracking) {
    if (tracking)
        return;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_HOVER, control, 10};
    tracking = ::TrackMouseEvent(&tme) != FALSE;
}

void SetHover(HWND control, bool& hover, bool& tracking, bool on) {
    hover = on;
    if (!on)
        tracking = false;
    ::InvalidateRect(control, nullptr, FALSE);
}

}  // namespace ovn::skin
