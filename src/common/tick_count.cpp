#include "common/tick_count.h"

namespace ovn {

std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now) {
    std::uint64_t high = last & ~std::uint64_t{0xFFFFFFFF};
    if (now < static_cast<std::uint32_t>(last))
        high += std::uint64_t{1} << 32;
    return high | now;
}

}  // namespace ovn
