// Cache maintenance for the browser engine and the Flash Player plug-in the game
// pages use: clearing the plug-in's shared objects, the URL cache (cookies
// stay) and the temporary internet files, on a worker thread of its own; the
// recursive folder deletion it uses; and the cache size limit set at start-up.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "framework/handles.h"

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

// One clearing on a thread of its own, which posts `done` to the window it was
// given when it has finished. Going away stops the clearing between two files
// and waits for its thread, so nothing is posted after that.
class CacheClearing {
public:
    CacheClearing() = default;
    ~CacheClearing() { Stop(); }
    CacheClearing(const CacheClearing&) = delete;
    CacheClearing& operator=(const CacheClearing&) = delete;

    // False when a clearing still runs or the thread cannot start.
    bool Start(HWND notify, UINT done, CacheLocations where);
    // The `done` message arrived: true when the worker has indeed finished (its
    // thread is then waited for and let go); a message from anybody else changes nothing.
    bool Finished();
    void Stop();

private:
    static DWORD WINAPI Run(void* self);

    fw::Handle m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_workDone{false};
    HWND m_notify = nullptr;
    UINT m_done = 0;
    CacheLocations m_where;
};

}  // namespace ovn::browser
