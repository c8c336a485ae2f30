#include "skin/hover.h"

namespace ovn::skin {

void TrackHover(HWND control, bool& tracking) {
    if (tracking)
        return;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_HOVER, control, 10};
    tracking = ::TrackMouseEvent(&tme) != FALSE;
}

}  // namespace ovn::skin
