// The crash-dump writer: an unhandled exception leaves one dump file next to the
// executable; DbgHelp is loaded from the system folder only when it is needed.
#pragma once
#include <windows.h>

namespace ovn {

// Set once the first dump has been written; a second crash then ends quietly.
extern bool DumpWritten;

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);

// Writes a dump of this process into file, the exception being that of thread
// threadId (0: the calling thread). Without exception pointers, the dump shows
// the current state of the calling thread, which then carries on.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception, DWORD threadId = 0);

}  // namespace ovn
