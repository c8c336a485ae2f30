// The arguments the launcher gives the processes it starts from its own
// executable: a game page, the game hall. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/page_token.h"

namespace ovn::launcher {

// Argument vectors after the program path.
// A page's last argument is its token (page_token.h): never logged.
std::vector<std::wstring> GamePageArguments(std::int32_t launcherHandle, std::size_t pageCount, PageToken token);
std::vector<std::wstring> GameHallArguments(std::int32_t launcherHandle);

}  // namespace ovn::launcher
