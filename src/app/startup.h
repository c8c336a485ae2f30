// Services of the start-up shared across the program: the process-wide values a
// page or hall process reads from its command line, the start mode, starting
// further processes of the executable, and the Flash Player check.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/protocol.h"

#include "framework/handles.h"

namespace ovn {

// Set by DetectStartMode in ModeGamePage and ModeGameHall; 0 otherwise.
extern HWND LauncherWnd;
extern int PagesBefore;

// The running executable's full path (at most 259 characters; empty on failure).
std::wstring ExecutablePath();
// The common application-data folder + "\Quenra\GameLogin"; empty when the
// system does not tell the common folder.
std::wstring GameLoginFolder();
// The process's arguments as CommandLineToArgvW splits its command line.
std::vector<std::wstring> ProcessArguments();

// Decides the mode from this process's command line, path and the install
// folder; sets LauncherWnd and PagesBefore. May be called again at any time.
StartMode DetectStartMode();

// How the launcher writes its own window handle for a child (a 32-bit value, so
// 32- and 64-bit builds read it alike) and how a child turns it back.
std::int32_t HandleToArgument(HWND window);
HWND HandleFromArgument(std::int32_t value);

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

// True when the installed Flash Player is newer than the version the game needs.
bool IsFlashPlayerRecent();

}  // namespace ovn
