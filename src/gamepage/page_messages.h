// Every message number the page process's own windows answer, in one place:
// the frame's from the launcher (the protocol's, common/protocol.h) and those
// the page's windows post to themselves to act outside of a browser's call.
// They must all differ: a new one that takes an old one's number does not
// compile.
#pragma once
#include <windows.h>

#include "common/message_table.h"
#include "common/protocol.h"

namespace ovn {

// The game page's view: a queued "enter game" navigation runs.
constexpr UINT kMsgRunEnterGame = WM_APP + 0x31;
// The login page: a queued page command runs.
constexpr UINT kMsgRunQueued = WM_APP + 0x32;
// The QQ and Weibo login window: its page is shown once the window itself is.
constexpr UINT kMsgShowPage = WM_APP + 0x33;

inline constexpr UINT kPageMessages[] = {kMsgSoundState, kMsgReloadHotkeys, kMsgRunEnterGame, kMsgRunQueued,
                                         kMsgShowPage};
static_assert(AllDifferent(kPageMessages), "two of the page process's messages share a number");

}  // namespace ovn
