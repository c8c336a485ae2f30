// The system the program runs on: the major version of Windows, for the few
// paths that differ before Vista, and whether it is Wine, for the few things
// Wine cannot show the way Windows does.
#pragma once

namespace ovn {

// The major version (5 for XP, 6 for Vista and 7, 10 ...); 0 when the system
// does not say.
unsigned WindowsMajorVersion();

// Wine's ntdll exports wine_get_version; Windows' never does.
bool RunningUnderWine();

}  // namespace ovn
