#include "common/page_area.h"

#include <algorithm>

namespace ovn {

Box PageArea(int clientWidth, int clientHeight, DisplayScale scale) {
    const int border = scale.Px(4), band = scale.Px(30);
    return {border, band, std::max(0, clientWidth - 2 * border), std::max(0, clientHeight - band - border)};
}

}  // namespace ovn
