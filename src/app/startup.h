// Services of the start-up: the start mode of this process, and the Flash Player
// check. The process values the mode sets, and starting further processes, are
// in process/process.h.
#pragma once
#include <windows.h>

#include "common/protocol.h"
#include "process/process.h"

namespace ovn {

// Decides the mode from this process's command line, path and the install
// folder; sets LauncherWnd and PagesBefore. May be called again at any time.
StartMode DetectStartMode();

// True when the installed Flash Player is newer than the version the game needs.
bool IsFlashPlayerRecent();

}  // namespace ovn
