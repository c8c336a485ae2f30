// The thread library of the static C++ runtime (winpthreads) was built for Vista
// and imports GetTickCount64, which Windows XP's loader cannot resolve: it would
// refuse the whole 32-bit program. The program gives the linker its own entry of
// that import, which it takes before the system's import library: a pointer to
// a function that calls GetTickCount64 where the system has it and carries
// GetTickCount into 64 bits where it does not. Linked into the program itself,
// not through a library, so that it is there when the runtime asks for it.
#include <windows.h>

#include "common/newer_windows.h"

#if defined(__i386__)
extern "C" {
ULONGLONG WINAPI OvnTickCount64() { return ovn::TickCount64(); }
// "__imp_" and the stdcall name: what the runtime's code calls through.
extern ULONGLONG(WINAPI* OvnTickCount64Entry)() __asm__("__imp__GetTickCount64@0");
ULONGLONG(WINAPI* OvnTickCount64Entry)() = OvnTickCount64;
}
#endif
