// Seams of the game frame (see game_page_seams.h). Each body is replaced, and
// this file shrinks, as its feature arrives.
#include "gamepage/game_page_seams.h"

namespace ovn::gamepage {

FrameHotkeys ReadFrameHotkeys() {  // arrives with the hotkey settings
    return FrameHotkeys{HotkeySetting{121, 0}, HotkeySetting{9, 2}, HotkeySetting{81, 2}};
}

void ApplySoundMuted(bool) {}  // arrives with sound muting

bool RunDownGameDialog(HWND, const std::wstring&) { return false; }  // arrives with the game download dialog

}  // namespace ovn::gamepage
