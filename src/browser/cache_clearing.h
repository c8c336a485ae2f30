// Cache maintenance for the browser engine and the Flash Player plug-in the game
// pages use: clearing the plug-in's shared objects, the URL cache (cookies
// stay) and the temporary internet files (the launcher runs it on a worker);
// the recursive folder deletion it uses; and the cache size limit set at
// start-up.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>


namespace ovn::browser {

// Deletes everything under folder and the folder itself; true when all of it is
// gone. Links inside (junctions, symbolic links) are removed themselves, never
// entered; a folder that is itself a link is only unlinked. Paths are used
// whole; an entry whose path would not fit is skipped (and logged). On false
// the thread's last error is the last file deletion's error, else the folder
// removal's. A null or empty path gives false at once. Stops early once
// *cancel is set.
bool DeleteTree(const wchar_t* folder, const std::atomic<bool>* cancel = nullptr);

// The folders a clearing deletes; empty ones are left alone.
struct CacheLocations {
    std::wstring sharedObjects;  // the plug-in's "#SharedObjects" folder
    std::wstring internetCache;  // the temporary internet files folder
    // This user's folders (none created by asking).
    static CacheLocations OfThisUser();
};

// The plug-in's shared objects, every URL cache entry that is not a cookie,
// then the temporary internet files. Files in use stay; the rest goes.
void ClearCaches(const CacheLocations& where, const std::atomic<bool>* cancel = nullptr);

// Writes the browser cache's size limit (HKCU, "CacheLimit", 1 MB) when its key
// exists; true once written.
bool SetCacheLimit();

}  // namespace ovn::browser
