// How one line of the failure log reads. Platform-free: the sink (common/log.h)
// supplies the clock, the process id and the system's text for an error code.
// Writes into a caller's buffer, never the heap: the crash filter logs too.
#pragma once
#include <cstddef>
#include <string_view>

namespace ovn::log {

struct LineTime {
    unsigned hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct FailureLine {
    LineTime time;
    unsigned long processId = 0;
    std::wstring_view role;          // which of the program's processes; empty leaves it out
    std::wstring_view text;          // what failed
    unsigned long error = 0;         // Windows error or HRESULT; 0 leaves it out
    std::wstring_view errorMessage;  // the system's text for error; may be empty
};

// The longest line, in characters, its ending and terminator included.
inline constexpr std::size_t kMaxLine = 1024;

// Writes "hh:mm:ss.mmm [pid role] text: error N: message\r\n" into out and a
// terminating NUL; returns the characters written, the NUL not counted. An error
// with its top bit set (an HRESULT) is written in hex. Control characters become
// one blank, so a failure is always one line whatever its texts hold. A line that
// fits capacity is written whole; what does not fit is cut (never inside a
// surrogate pair) and ends with "...", and the line still ends with "\r\n".
// capacity below 8 writes nothing but the NUL.
std::size_t FormatFailureLine(const FailureLine& line, wchar_t* out, std::size_t capacity);

}  // namespace ovn::log
