// Seams of the game frame (see game_page_seams.h). Each body is replaced, and
// this file shrinks, as its feature arrives.
#include "gamepage/game_page_seams.h"

namespace ovn::gamepage {

bool RunDownGameDialog(HWND, const std::wstring&) { return false; }  // arrives with the game download dialog

}  // namespace ovn::gamepage
