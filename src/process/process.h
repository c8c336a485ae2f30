// This executable's processes: the values a page or hall process reads from its
// command line, the program's folders, and starting further processes of the
// executable (or of a stand-in program). Below the launcher, the game page and
// the start-up, which all use them; the start-up sets the values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/handles.h"

namespace ovn {

// Set by the start-up in ModeGamePage and ModeGameHall; 0 otherwise.
extern HWND LauncherWnd;
extern int PagesBefore;
// The page's token from its command line (page_token.h); 0 otherwise. It goes
// with the page's label claim and login-shown word, and never into the log.
extern std::uint64_t PageSecret;

// A fresh token for a page process the launcher starts: random, never 0.
std::uint64_t NewPageToken();

// The running executable's full path (at most 259 characters; empty on failure).
std::wstring ExecutablePath();
// The folder of the running executable with its trailing backslash; empty on failure.
std::wstring ExecutableFolder();
// Statistic.ini next to the running executable (hotkeys, notice); empty when
// the executable's folder is unknown.
std::wstring LocalSettingsPath();
// The player's own folder for what the program makes while it runs
// (process/folders.h), with its trailing backslash, made when missing; empty
// (logged) when the system names no local application-data folder or the
// folder cannot be made.
std::wstring PlayerFolder();
// Its path alone, nothing made; empty when the system does not tell it.
std::wstring PlayerFolderPath();
// Makes the player's folder at path (as PlayerFolderPath gives it); false,
// logged, when it cannot. Only file-system calls: a crashed process may call it.
bool MakePlayerFolder(const std::wstring& path);
// The common application-data folder + "\Quenra\GameLogin"; empty when the
// system does not tell the common folder.
std::wstring GameLoginFolder();
// The program's settings key under HKEY_LOCAL_MACHINE: the weekdays the update
// check skips and the time of the last update.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Quenra\\GameLogin\\Ovn";
// Writes one binary value under the settings key, creating the key. A refused
// write (no rights, say) is logged; false then.
bool WriteSettingsValue(const wchar_t* name, const void* data, DWORD size);

// The process's arguments as CommandLineToArgvW splits its command line.
std::vector<std::wstring> ProcessArguments();

// How the launcher writes its own window handle for a child (a 32-bit value, so
// 32- and 64-bit builds read it alike) and how a child turns it back.
std::int32_t HandleToArgument(HWND window);
HWND HandleFromArgument(std::int32_t value);

// The launcher marks its window so that the page and hall processes it starts
// can tell it from any other window a command line may name.
void MarkAsLauncherWindow(HWND window);
void UnmarkLauncherWindow(HWND window);
// True when window is a launcher window of this program: a real top-level window
// (no broadcast or other pseudo handle), marked as the launcher's, of a process
// running this same executable file. A page or hall process acts on no other.
bool IsOurLauncherWindow(HWND window);

// Starts a further process of the executable (or of path, at most 259
// characters) without arguments, in the idle priority class; both handles are
// closed at once and a failure is silent.
void StartSelfProcess(const wchar_t* path = nullptr);

// Starts the executable with arguments (same flags). With keepProcess the
// process handle is handed back there; the thread handle is always closed.
// False when the command line could not be built or the start failed.
bool StartSelfWithArguments(const std::vector<std::wstring>& args, fw::Handle* keepProcess = nullptr);
// The same for another program path (used by tests to start a stand-in child).
bool StartProgramWithArguments(const std::wstring& program, const std::vector<std::wstring>& args,
                               fw::Handle* keepProcess = nullptr);

}  // namespace ovn
