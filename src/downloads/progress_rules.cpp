#include "downloads/progress_rules.h"

#include <cstdint>

namespace ovn::downloads {
int ProgressPercent(std::uint64_t received, std::uint64_t expected) {
    if (expected == 0 || received >= expected)
        return 100;
    // received < expected here, so received * 100 overflows only past 2^57 bytes;
    // dividing first keeps it exact enough beyond that.
    if (received > UINT64_MAX / 100)
        return static_cast<int>(received / (expected / 100));
    return static_cast<int>(received * 100 / expected);
}

std::wstring ProgressLabel(int percent) { return L"已加载  " + std::to_wstring(percent) + L"%"; }
}  // namespace ovn::downloads
