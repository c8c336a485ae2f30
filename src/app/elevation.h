// Rights for installing and removing under user-account control. The common
// desktop and start menu, HKLM\Software and files in the shared folder need an
// administrator's full token; a filtered token (a standard user, or an
// administrator before elevation) is refused there and, with "asInvoker", not
// virtualised. Install and removal therefore ask for elevation once through the
// shell; the player's own unelevated process starts the launcher afterwards.
#pragma once
#include <string>

namespace ovn {

// Marks the elevated copy of an install or removal.
inline constexpr wchar_t kElevatedSwitch[] = L"/elevated";

// True when this process runs with a filtered token that elevation would lift.
bool IsFilteredToken();
// True when this process is the elevated copy started by ElevateAndWait.
bool IsElevatedCopy();
// Runs this executable with arguments through the shell's "runas" and waits for
// it (its exit code into exitCode when given). False when the player refused or
// it could not start (logged).
bool ElevateAndWait(const std::wstring& arguments, unsigned long* exitCode = nullptr);

}  // namespace ovn
