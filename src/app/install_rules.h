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

// The self-deleting batch file. Template A deletes only the executable, template
// B the executable, every file of its folder and the folder. Paths are in the
// code page the command processor reads the file in.
enum class BatchTemplate { OnlyExecutable, WholeFolder };
// Template B only for the installation folder when the executable is all it
// holds; a folder that could not be listed (a negative count) holds, as far as
// we know, more; and a download folder or a desktop the program was removed
// from is never ours to empty.
BatchTemplate ChooseBatchTemplate(int filesInFolder, bool isInstallFolder);

// What removal arranged for the executable itself, and the closing message that
// tells the player just that (the path is named when nothing could be arranged).
enum class SelfDeletion { AfterExit, AtRestart, Nothing };
std::wstring RemovalClosingText(SelfDeletion how, std::wstring_view exePath);

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
