// Resource ids shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128  // application icon and the game frame's document template
#define IDI_PORTAL 200     // the portal shortcut's icon (after 128, so 128 stays icon index 0)

#ifndef RC_INVOKED
#endif
