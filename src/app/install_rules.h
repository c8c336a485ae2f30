// The rules of installing, counting and removing that need no system: the
// weekdays written at installation, the counter values, and the text of the
// self-deleting batch file. Platform-free.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

// The four bytes of "DisableDays" for the milliseconds of the current UTC time:
// e, c, d and 0, from the first two values of the C runtime's unseeded rand()
// (41 and 18467), so that installations spread their skipped weekdays.
std::array<std::uint8_t, 4> DisableDaysBytes(unsigned milliseconds);

// The next value of a counter stored as text. The text is read like wtoi; a
// value that is no number counts as 0. Counters only grow: a negative value
// starts again from 0 and the largest unsigned value stays there.
std::uint32_t NextCounterValue(std::wstring_view stored);

// The self-deleting batch file. Template A deletes only the executable (its
// folder holds other files), template B the executable, every file of its
// folder and the folder. Paths are in the ANSI code page.
enum class BatchTemplate { OnlyExecutable, WholeFolder };
BatchTemplate ChooseBatchTemplate(int filesInFolder);

// True when a path may be written into the batch file: not empty, and free of
// what cmd would read as something else ("%" expands variables, "?" and "*" are
// wildcards that a path the code page could not represent comes back with, and
// a quote would end the argument).
bool IsBatchSafePath(std::string_view ansiPath);

// The batch text, or nothing when a path is not batch-safe.
std::optional<std::string> SelfDeleteBatchText(BatchTemplate which, std::string_view exePath,
                                               std::string_view batchPath);

// The executable's folder: the path up to its last backslash (the whole path
// when it has none).
std::string_view FolderOfPath(std::string_view path);

}  // namespace ovn
