// Installing the executable into GameLoginFolder with its shortcuts and registry
// key, and removing it again with a batch file that deletes the executable once
// its process has ended (or, where no batch can name it, at the next restart).
#pragma once
#include <optional>
#include <string>

#include "app/install_rules.h"

namespace ovn {

// The four shortcuts' link names and the start-menu folder.
inline constexpr wchar_t kLinkGame[] = L"QuenraOrvane极速登录器";
inline constexpr wchar_t kLinkPortal[] = L"Quenra网页游戏";
inline constexpr wchar_t kLinkUninstall[] = L"卸载 QuenraOrvane极速登录器";
inline constexpr wchar_t kProgramsFolder[] = L"Quenra登录器";

// Copies the executable into GameLoginFolder, makes the four shortcuts and starts
// the copy (unless startCopy is false: an elevated installer leaves that to the
// player's own process). Returns 1; what fails is logged and skipped.
int InstallCopy(bool startCopy = true);
// The installed copy's path: GameLoginFolder + this executable's file name.
std::wstring InstalledPath();
// The weekdays the automatic update check skips; 0 when the key cannot be written.
int WriteDisableDays();
// The four shortcuts for target (after an install or an update).
void CreateShortcuts(const std::wstring& target);

int CreateDesktopShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* linkName, int iconIndex,
                          const wchar_t* description);
int CreateProgramsShortcut(const wchar_t* linkName, const wchar_t* target, const wchar_t* arguments);
int CreateShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* arguments, int iconIndex,
                    const wchar_t* description);
bool DeleteDesktopShortcut(const wchar_t* linkName);
bool DeleteProgramsShortcut(const wchar_t* linkName);
void RemoveShortcuts();

// Registry key, shortcuts, the self-deleting batch, the removal count and ping,
// and the closing message.
void RemoveInstallation();
// Writes and starts the batch that deletes this executable (and the installation
// folder too when nothing else is in it) once the process has ended. A path the
// batch cannot name exactly, or a batch that cannot be made, leaves the
// executable for deletion at the next restart instead. Says which it arranged.
SelfDeletion StartSelfDelete();
// The path as a batch file names it, in codePage (the one the command processor
// reads batch files in): exactly, else its short form when that converts there
// and back unchanged; nothing otherwise.
std::optional<std::string> BatchPath(const std::wstring& path, unsigned codePage);

// Writes text into a file that must not exist yet (an existing file is never
// taken over or appended to). False on failure, the failing call's error left
// as the last error and nothing left behind.
bool WriteNewFile(const wchar_t* path, const std::string& text);
// Files in folder and its sub-folders (a sub-folder that cannot be listed counts
// as one file); 0 when empty; -1 when folder itself cannot be listed.
int CountFiles(const std::wstring& folder);

}  // namespace ovn
