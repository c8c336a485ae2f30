// Seams of the start-up (see startup_seams.h). Each body is replaced, and this
// file shrinks, as its feature arrives.
#include "app/startup_seams.h"

namespace ovn {

int InstallCopy() { return 0; }  // arrives with installation
int WriteDisableDays() { return 0; }  // arrives with installation
void RemoveInstallation() {}  // arrives with removal
int CreateDesktopShortcut(const wchar_t*, const wchar_t*, const wchar_t*, int, const wchar_t*) {
    return 0;  // arrives with shortcuts
}
int CreateProgramsShortcut(const wchar_t*, const wchar_t*, const wchar_t*) { return 0; }  // arrives with shortcuts
unsigned BumpCounter(const wchar_t*) { return 0; }  // arrives with the usage counters
int SendPing(const wchar_t*, CKelvor3App&) { return 0; }  // arrives with the activity pings
int CheckForUpdate(int) { return 0; }  // arrives with self-update
int InstallUpdate() { return 0; }  // arrives with self-update
int StampUpdateTime() { return 0; }  // arrives with self-update
bool SetCacheLimit() { return false; }  // arrives with cache clearing

}  // namespace ovn

