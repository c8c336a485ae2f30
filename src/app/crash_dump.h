// The crash-dump writer: an unhandled exception leaves one dump file next to the
// executable; DbgHelp is loaded by name only when it is needed.
#pragma once
#include <windows.h>

namespace ovn {

// Set once the first dump has been written; a second crash then ends quietly.
extern bool DumpWritten;

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);

// Writes a dump of this process into file. Without exception pointers, the dump
// shows the current state of the calling thread, which then carries on.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception);

}  // namespace ovn
