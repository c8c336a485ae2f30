// What the program uses of Windows newer than XP, looked up at run time. The
// 32-bit program is the one XP runs, and the XP loader refuses a program that
// imports a function its system lacks: each of these takes the newer call where
// there is one and an XP way where there is not (the 32-bit build's headers do
// not even declare the newer calls; tests/release checks its imports).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ovn {

// Milliseconds since the system started, without the 49.7-day wrap
// (GetTickCount64; on XP GetTickCount carried into 64 bits).
unsigned long long TickCount64();

// The full path of the program process processId runs; empty when it cannot be
// read (QueryFullProcessImageNameW; on XP the process's main module's path).
std::wstring ProcessImagePath(DWORD processId);

// The id of the process behind a handle; 0 when unknown (GetProcessId, from
// XP's first service pack on).
DWORD ProcessIdOf(HANDLE process);

// Sets the attributes of the file or folder open as file (with
// FILE_WRITE_ATTRIBUTES) through its handle, so that a link itself is changed
// and never its target. False when that failed or the system has no such call
// (XP): the caller then takes its own way.
bool SetAttributesByHandle(HANDLE file, DWORD attributes);

// A REG_DWORD value; none when the key or the value is missing or of another
// type or size (what RegGetValueW with RRF_RT_REG_DWORD gives, which XP lacks).
std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* name);

// The DPI a window is shown at: its own where the system keeps one per window
// (GetDpiForWindow, Windows 10) or per monitor (GetDpiForMonitor, Windows 8.1),
// else the system's (the screen's LOGPIXELSX: 96 on XP and Vista unless the
// player changed it there, and then the program is laid out for it). Works for
// another process's window as well: every process of ours is aware alike.
int WindowDpi(HWND window);

// A window of a per-monitor aware program was moved to a monitor of another
// DPI (Windows 8.1 on; older headers do not name it): the new DPI in the low
// and high words of wParam, the suggested window rectangle at lParam.
constexpr UINT kWmDpiChanged = 0x02E0;

// The XP ways themselves, which the system here never takes (for the tests).
namespace xp {
unsigned long long TickCount64();
std::wstring ProcessImagePath(DWORD processId);
}  // namespace xp

// Leaves the current folder out of the library search (SetDllDirectoryW, from
// XP's first service pack on); false where the system cannot.
bool LeaveCurrentFolderOutOfDllSearch();

}  // namespace ovn
