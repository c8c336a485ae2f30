// The crash-dump writer: an unhandled exception leaves one dump file in the
// player's own folder (app/crash_dump_path.h names it and says how many stay);
// DbgHelp is loaded from the system folder only when it is needed.
#pragma once
#include <windows.h>

namespace ovn {

// Set once the first dump has been written; a second crash then ends quietly.
extern bool DumpWritten;

// How long a crashed process waits for its dump before it ends without one. A
// writer that hangs (a thread it stopped held a lock it needs) must not keep
// the crashed window up for ever, while a slow one must still finish: the
// richest dump takes seconds on a busy machine (nine under a compile next to
// it, under Wine), so the bound leaves several times that.
constexpr DWORD kCrashDumpTimeoutMs = 60000;

// Names the process's role for its dump and looks the player's folder up now, so
// that a crash needs neither the shell nor the role rules; the folder itself is
// made only when a dump is written. Until then a dump is named for role "start".
void PrepareCrashDumps(const wchar_t* role);

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);

// Writes a dump of this process into file, the exception being that of thread
// threadId (0: the calling thread). Without exception pointers, the dump shows
// the current state of the calling thread, which then carries on.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception, DWORD threadId = 0);

}  // namespace ovn
