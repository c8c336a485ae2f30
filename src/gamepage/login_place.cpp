#include "gamepage/login_place.h"

namespace ovn::gamepage {

fw::Area LoginArtworkPlace(skin::Size drawn, int drawnDpi, DisplayScale scale, const fw::Area& workArea) {
    const skin::Size shown = skin::SizeAt(drawn, drawnDpi, scale);
    const fw::Origin at = fw::CentredOrigin(shown.cx, shown.cy, nullptr, workArea);
    return fw::Area{at.x, at.y, at.x + shown.cx, at.y + shown.cy};
}

}  // namespace ovn::gamepage
