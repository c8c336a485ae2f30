// What a download's progress bar and label show. Platform-free.
#pragma once
#include <cstdint>
#include <string>

namespace ovn::downloads {

// Percent of expected bytes received, 0..100, in 64 bits. An expected length of 0
// is complete at once (100) rather than a division by zero.
int ProgressPercent(std::uint64_t received, std::uint64_t expected);

// The progress label's text, "已加载  N%".
std::wstring ProgressLabel(int percent);

}  // namespace ovn::downloads
