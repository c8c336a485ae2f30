// The e2e driver: starts Ovn.exe processes under Wine against the local portal
// and works their windows from outside, as a player or the system would.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/handles.h"

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// Polls pred every 20 ms (pumping this thread's messages) until it holds or the
// time is up; returns its last value.
bool WaitFor(const std::function<bool()>& pred, Millis timeout = 10s);

// The environment the tests run in: the program, the portal's address and a
// scratch folder, all given by ctest.
struct Environment {
    std::wstring exePath;     // Ovn.exe
    std::wstring portal;      // 127.0.0.1:PORT
    std::wstring stateDir;    // scratch folder for this run
    static const Environment& Get();
};

// A process of the program under test; killed when the object goes unless it
// has ended by then.
class Process {
public:
    Process() = default;
    // Starts exe with the given command-line tail. The portal's address is put
    // in the environment (OVN_PORTAL), as the local-portal build reads it.
    bool Start(const std::wstring& exe, const std::wstring& args);
    // The same, with beforeRun called with the new process's id while it is
    // still suspended (to prepare what it will find when it runs).
    bool Start(const std::wstring& exe, const std::wstring& args, const std::function<void(DWORD)>& beforeRun);
    bool Start(const std::wstring& args) { return Start(Environment::Get().exePath, args); }
    ~Process();
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;

    DWORD Id() const { return m_pid; }
    DWORD StartError() const { return m_startError; }  // GetLastError of a failed start
    HANDLE Handle() const { return m_process.get(); }
    bool Running() const;
    // Waits for the end; returns the exit code, or STILL_ACTIVE on time-out.
    DWORD Wait(Millis timeout = 10s);
    void Kill();

private:
    fw::Handle m_process;
    DWORD m_pid = 0;
    DWORD m_startError = 0;
};

// Windows.
struct WindowQuery {
    DWORD pid = 0;                 // 0: any process
    std::wstring className;        // empty: any
    std::wstring title;            // empty: any; exact match otherwise
    bool visibleOnly = false;
    bool topLevelOnly = true;      // false: children too (of all top-level windows)
};
std::vector<HWND> FindWindows(const WindowQuery& q);
HWND WaitForWindow(const WindowQuery& q, Millis timeout = 10s);
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
DWORD WindowProcessId(HWND hwnd);
RECT WindowRect(HWND hwnd);
// Text of every visible window the process owns (message boxes among them).
std::vector<std::wstring> ChildTexts(HWND hwnd);

// Our message boxes: a visible window of process pid with text among its
// children; and pressing one of its buttons by caption.
HWND FindBoxWithText(DWORD pid, const std::wstring& text);
HWND WaitForBox(DWORD pid, const std::wstring& text, Millis timeout = 10s);
bool PressBoxButton(HWND box, const std::wstring& caption);
// The windows of other processes a launcher holds (adopted frames): its
// children, or the top-level frames it owns (not the dialogs it owns, such as
// the login's artwork), whichever way the pages are held.
std::vector<HWND> HeldPages(HWND launcher);
// Waits until the keyboard focus is in window or inside it. The launcher hands
// the keyboard to the page it shows, and the system does that later, on the
// page's own thread: a click on the launcher meanwhile loses its button's
// capture to that switch, and with it the click. False when the time is up.
bool WaitForKeyboardIn(HWND window, Millis timeout = 10s);
// The same for the page the launcher shows (the one held page that is visible).
bool WaitForShownPageKeyboard(HWND launcher, Millis timeout = 10s);
// Whether the launcher holds page exactly the way this machine's hosting says:
// as its child, or as a top-level pop-up it owns (and not as a child).
bool Holds(HWND launcher, HWND page);
// Processes running now that were started by process parent.
std::vector<DWORD> ChildProcesses(DWORD parent);
// Waits until every process that parent started has reached its message loop
// (or ended). Under Wine a process whose parent is killed while it is still
// starting never reaches its entry point: kill a launcher only once its
// children are past that.
bool SettleChildren(DWORD parent, Millis timeout = 15s);

// Processes running now whose executable file is named exeName (no folder).
struct ProcessEntry {
    DWORD pid;
    DWORD parent;
};
std::vector<ProcessEntry> ProcessesNamed(const std::wstring& exeName);

// Input, as the system delivers it to whatever window is active. These return
// once the input is handed to the system, not once it has had its effect: wait
// for that.
void SendKey(WORD vk, bool extended = false);
void SendKeyCombo(std::initializer_list<WORD> modifiers, WORD vk);
void ClickAt(int screenX, int screenY);
// Clicks the point at (screen coordinates) once the system would hand a click
// there to target (or a window inside it), waiting up to timeout for that: a
// window shown late, or one still under another, would otherwise take the click.
// False, and no click, when target is not there in time; the window that would
// have taken the click is then written to the test's error output.
bool ClickOn(HWND target, POINT at, Millis timeout = 10s);
// The same for a point given in target's client coordinates: its place on the
// screen is looked up at each look, and the click waits until the window is at
// the same place at two looks in a row (a window still being moved into place
// would otherwise take the click somewhere else on it).
bool ClickOnClient(HWND target, POINT clientPoint, Millis timeout = 10s);
// Clicks the centre of a window (a button of another process, say); false when
// something else covers it.
bool ClickWindow(HWND hwnd);

// What the screen shows now under a window's rectangle, row by row (0x00RRGGBB).
std::vector<std::uint32_t> ScreenPixels(HWND hwnd);
std::vector<std::uint32_t> ScreenPixelsIn(const RECT& screenRect);
COLORREF ScreenPixel(int x, int y);
// The share (0 to 1) of the pixels the screen shows in a rectangle that are
// exactly the colour 0xRRGGBB.
double ShareOfColour(const RECT& screenRect, std::uint32_t rgb);
// Where a launcher's page area is on the screen now.
RECT PageAreaOnScreen(HWND launcher);
// The colours the local portal's pages wear: each world's game page its own,
// and the hall a cream one.
inline constexpr std::uint32_t kWorld3Colour = 0x2E6B3F;  // the login's S3 server
inline constexpr std::uint32_t kWorld4Colour = 0x7A3B6E;  // and S4
inline constexpr std::uint32_t kHallColour = 0xF2EAD3;
// Whether the launcher's page area mostly shows that colour (a page fills its
// area but for its text).
bool PageAreaShows(HWND launcher, std::uint32_t rgb);
// Waits until the screen under a window shows more than one colour and the same
// picture twice in a row (its page has been drawn); that picture, or nothing
// when it was not steady in time.
std::vector<std::uint32_t> SteadyPicture(HWND hwnd, Millis timeout = 15s);

// Saves the screen (or the part covered by hwnd) as a PNG file.
bool SaveScreenshot(const std::wstring& path, HWND hwnd = nullptr);

// Sets an environment variable for the processes started while it lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* m_name;
    std::wstring m_old;
    bool m_had = false;
};

// The stand-in program the tests build (ovn_recorder.exe, next to the test
// program): it appends its own path and command line, one UTF-8 line, to the
// file OVN_RECORD_FILE names, and ends.
std::wstring RecorderPath();
// A file's bytes ("" when there is none): what the recorder wrote, a log.
std::string ReadFileText(const std::wstring& path);

// Local portal.
std::string HttpGet(const std::wstring& pathAndQuery);  // body, or "" on failure
std::vector<std::string> PortalRequests(bool clear = false);

}  // namespace e2e
