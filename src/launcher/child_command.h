// The arguments the launcher gives the processes it starts from its own
// executable: a game page, the game hall. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ovn::launcher {

// Argument vectors after the program path.
std::vector<std::wstring> GamePageArguments(std::int32_t launcherHandle, std::size_t pageCount);
std::vector<std::wstring> GameHallArguments(std::int32_t launcherHandle);

}  // namespace ovn::launcher
