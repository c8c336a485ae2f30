// What the game frame needs from features that arrive later. Each is a seam: a
// named function with its final job whose body arrives with the feature named
// beside it (game_page_seams.cpp shrinks as they do). Until then the frame works
// without the feature.
#pragma once
#include <windows.h>

#include <string>

#include "gamepage/game_page_rules.h"

namespace ovn::gamepage {

// Arrives with the game download dialog: downloads and starts another game's
// launcher. False when there is no such dialog (the caller then offers the page's
// download address instead).
bool RunDownGameDialog(HWND owner, const std::wstring& gameTag);

}  // namespace ovn::gamepage
