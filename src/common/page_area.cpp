#include "common/page_area.h"

#include <algorithm>

namespace ovn {

Box PageArea(int clientWidth, int clientHeight) {
    return {4, 30, std::max(0, clientWidth - 8), std::max(0, clientHeight - 34)};
}

}  // namespace ovn
