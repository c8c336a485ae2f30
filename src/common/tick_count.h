// A 32-bit millisecond counter carried into 64 bits, for systems whose only tick
// count wraps after 49.7 days (Windows XP). Platform-free.
#pragma once
#include <cstdint>

namespace ovn {

// The 64-bit count for a new 32-bit reading now, given the last 64-bit count:
// a reading below the last one's low half means the counter wrapped once since.
std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now);

}  // namespace ovn
