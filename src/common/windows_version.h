// The major version of Windows the program runs on, for the few paths that
// differ before Vista.
#pragma once

namespace ovn {

// The major version (5 for XP, 6 for Vista and 7, 10 ...); 0 when the system
// does not say.
unsigned WindowsMajorVersion();

}  // namespace ovn
