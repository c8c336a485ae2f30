// The program's small failure log: one line for a failure the player need not
// see, so that it is never lost without a word. Each line goes to the debugger
// and, when the environment variable OVN_LOG names a file, is appended to that
// file in UTF-8 (several processes may append to the same file). Nothing is
// written while nothing fails. The line's form is common/log_line.h's.
//
// Safe from any thread and from the crash filter (no heap is used), and the
// calling thread's last-error value is the same afterwards.
#pragma once

namespace ovn {

// Names this process's role in every later line ("launcher", "page", ...);
// at most 31 characters are kept. Call once at start, before other threads run.
void SetLogRole(const wchar_t* role);

// One line: what failed, and the Windows error (GetLastError, an HRESULT or a
// WinINet code) with the system's text for it; error 0 leaves the code out.
void LogFailure(const wchar_t* what, unsigned long error);

// The same with a printf-style text (wide strings as %ls; the text is cut at
// about a thousand characters).
void LogFailureF(unsigned long error, const wchar_t* format, ...);

}  // namespace ovn
