#include "framework/placement.h"

namespace fw {

Origin CentredOrigin(int width, int height, const Area* over, const Area& wa) {
    const Area& around = over ? *over : wa;
    Origin p{around.left + (around.Width() - width) / 2, around.top + (around.Height() - height) / 2};
    if (p.x + width > wa.right)
        p.x = wa.right - width;
    if (p.x < wa.left)
        p.x = wa.left;
    if (p.y + height > wa.bottom)
        p.y = wa.bottom - height;
    if (p.y < wa.top)
        p.y = wa.top;
    return p;
}

}  // namespace fw
