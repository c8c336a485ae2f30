// Where crash dumps go and how many stay. Platform-free.
//
// Dumps go to the player's own folder (process/folders.h), which the launchers of
// all the portal's games share: each dump is named after the program, the role
// of the process that crashed and its process id, so that the page processes of
// one launcher, crashing together, never write into one file; and only the last
// few of this program's dumps are kept, so that a page that crashes at every
// start does not fill the disk.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovn {

// How many of this program's dumps the folder keeps, the new one included.
inline constexpr std::size_t kKeptCrashDumps = 5;

// The program's name without folder and extension: "C:\Games\X.exe" gives "X".
// Empty when the path names no file.
std::wstring ProgramStem(std::wstring_view exePath);

// "<stem>-<role>-<pid>.dmp" inside folder (given with its trailing backslash);
// none when the stem or the role is empty or would make a name of another shape
// (a "-" in the role).
std::optional<std::wstring> CrashDumpPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view role,
                                          std::uint32_t processId);

// True when name is one of this program's dumps: "<stem>-<role>-<digits>.dmp",
// compared without regard to case (another game's launcher, or a file of the
// player's, is never ours to delete).
bool IsOwnCrashDump(std::wstring_view name, std::wstring_view stem);

struct DumpFile {
    std::wstring name;
    std::uint64_t writeTime = 0;  // larger is newer
};

// Which of the files found in the folder to delete before a new dump is
// written, so that kKeptCrashDumps remain with it: this program's oldest dumps
// (equal times by name), never anything else.
std::vector<std::wstring> CrashDumpsToPrune(const std::vector<DumpFile>& found, std::wstring_view stem);

}  // namespace ovn
