// Jobs of the start-up that come with later features. Each is a seam: a named
// function with its final signature whose body arrives with the feature named
// beside it; until then it does nothing and reports failure, and the start-up
// takes its failure path (no update, nothing installed, no ping to wait for).
#pragma once
#include <windows.h>

namespace ovn {

class CKelvor3App;

// Arrives with installation: copy into GameLoginFolder, shortcuts, start the copy.
int InstallCopy();
// Arrives with installation: the weekdays the automatic update check skips.
int WriteDisableDays();
// Arrives with removal: registry key, shortcuts, self-deleting batch, removal ping.
void RemoveInstallation();
// Arrives with shortcuts: one desktop shortcut for target with arguments.
int CreateDesktopShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* linkName, int iconIndex,
                          const wchar_t* description);
// Arrives with shortcuts: one shortcut in the start-menu folder.
int CreateProgramsShortcut(const wchar_t* linkName, const wchar_t* target, const wchar_t* arguments);

// Arrives with the usage counters: raises key in Statistic.ini, returns the new count.
unsigned BumpCounter(const wchar_t* key);
// Arrives with the activity pings: hands url to the ping thread; 1 once it has
// its own copy (the thread then calls app.NotePingStarted()), 0 when none started.
int SendPing(const wchar_t* url, CKelvor3App& app);

// Arrive with self-update: the check (fills the update URL), the download and
// swap, and the stamp of the last update.
int CheckForUpdate(int force);
int InstallUpdate();
int StampUpdateTime();

// Arrives with cache clearing: the browser's cache limit.
bool SetCacheLimit();

}  // namespace ovn
