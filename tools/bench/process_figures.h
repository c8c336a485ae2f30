// What the benchmark reads of a process from outside: its peak working set and
// the CPU time of every live process.
#pragma once
#include <windows.h>

#include <map>

#include "framework/handles.h"

namespace bench {

// The process's peak working set in MB; -1 when it cannot be read.
double PeakWorkingSetMb(HANDLE process);

// Kernel and user time of every live process, in milliseconds. Under Wine,
// GetProcessTimes answers zero for any process but the caller; the system's
// process list carries the real times there (read from the host), as on Windows.
std::map<DWORD, double> CpuTimesMs();

// A handle to pid good for its figures, its end and ending it; empty when refused.
fw::Handle OpenForFigures(DWORD pid);

}  // namespace bench
