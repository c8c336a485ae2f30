// The command line of a process we start, and the Windows rules for splitting a
// command line into arguments (the rules the child's start-up applies), so that
// what is written is exactly what is read. Platform-free.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovn {

// The command-line buffer of a child process, terminator included: the
// longest path, quoted, with a page's arguments and its token.
inline constexpr std::size_t kChildCommandLineMax = 320;

// Quotes one argument (not the program) so that the splitter gives it back
// unchanged: plain when it has no blank, tab or quote, otherwise in quotes with
// backslashes doubled before a quote and quotes escaped.
std::wstring QuoteArgument(std::wstring_view arg);

// "<program>" followed by the arguments, separated by single blanks. The program
// is always quoted (a blank in the path must not split it; a quote cannot occur in
// a Windows path, so a path holding one is refused). Refused too: an empty path,
// any NUL, or a line that does not fit kChildCommandLineMax with its terminator.
std::optional<std::wstring> BuildChildCommandLine(std::wstring_view program, const std::vector<std::wstring>& args);

// Splits a command line the way CommandLineToArgvW does: the program token ends at
// its closing quote or at the first blank or tab, without escapes; later tokens
// follow the backslash and quote rules. An empty line gives no arguments here (the
// system would put the running program's path in their place).
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

}  // namespace ovn
