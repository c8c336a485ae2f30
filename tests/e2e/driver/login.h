// The login windows of a page process seen from outside, and clicks on the
// elements of the pages they show. Where an element is drawn is learnt from the
// product's own plain engine: the driver lays the same page out at the same
// size in its own process (same engine, same fonts, same prefix) and reads the
// link's box there.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/e2e/driver/driver.h"

namespace e2e {

// The host flags our page-only dialogs show their pages with.
constexpr std::uint32_t kLoginPageHostFlags = 0x0D;     // dialog, no border, no scroll bars
constexpr std::uint32_t kExternalPageHostFlags = 0x0C;  // no border, no scroll bars

// Where the first link whose address contains hrefPart is drawn in a view of
// w x h client pixels showing url; nothing when the page did not load or has
// no such link.
std::optional<RECT> LinkBoxOnPage(const std::wstring& url, const std::wstring& hrefPart, int w, int h,
                                  std::uint32_t hostFlags);

// The login windows of one page process.
struct LoginWindows {
    HWND background = nullptr;  // the artwork, owned by the launcher window
    HWND page = nullptr;        // the login page, owned by the artwork
};
// The visible login artwork owned by launcher and the page over it, once both show.
LoginWindows WaitForLogin(HWND launcher, Millis timeout = 30s);
// The same, for the login of a page process other than those given.
LoginWindows WaitForLoginOf(DWORD pid, Millis timeout = 30s);

// Logs the launcher's first page process in (a server picked in its login page
// with the mouse) and waits for its game page to be adopted and shown; the
// page's frame, or null.
HWND LogInFirstPage(HWND launcher);
// Clicks the launcher's "登录其他账号" link and answers its prompt: "是"
// (another tab) or "否" (another launcher). False when no prompt came.
bool AnswerOtherAccountPrompt(HWND launcher, bool newTab);
// Asks the launcher for another tab through the add-account prompt, and
// returns the login of the page process it starts (its id in pid, 0 if none).
LoginWindows OpenAnotherTab(HWND launcher, DWORD* pid);

// Leaves the login of every page process of the launcher (process
// launcherPid, window launcher) with Escape on its artwork, as a login in
// progress keeps the launcher disabled: true once each of its processes has
// ended or has a frame adopted (a process still starting is waited for).
bool LeaveOpenLogins(DWORD launcherPid, HWND launcher, Millis timeout = 20s);

// Ends a launcher as the player would: its page processes settled, its open
// logins left, its window closed (wnd, or the one it shows) and its exit
// question answered "是"; then every Ovn.exe process is waited for, and one that
// stays is ended, so it can neither hang the run nor meet the next test. What
// went wrong on the way, as text; empty when it all ended by itself.
std::string EndLauncher(Process& launcher, HWND wnd = nullptr, Millis exitWait = 10s);
// EndLauncher without the details: false when anything did not end by itself.
bool QuitLauncher(Process& launcher);

// The login page's address on the local portal.
std::wstring LoginPageUrl();

// Clicks, with the mouse, the first link whose address contains hrefPart, on
// the page url shown in view (a window whose client area is the page). False
// when there is no such link, or when another window covers it (ClickOn).
bool ClickLink(HWND view, const std::wstring& url, const std::wstring& hrefPart, std::uint32_t hostFlags);

// Clicks the centre of box, given in view's client coordinates, once a click
// there goes to view; false when it does not in time.
bool ClickBox(HWND view, const RECT& box);

// The game hall of a launcher whose first page (page) is logged in: shows it
// (the launcher's hall button), clicks the hall page's link whose address
// contains hrefPart (as "entergame|skyrealm") once the hall is drawn, and agrees
// to the download offer. The hall process's download dialog, or null; the
// hall's frame and process id come back in hall.
struct Hall {
    HWND frame = nullptr;
    DWORD pid = 0;
};
HWND OpenGameDownload(HWND launcher, HWND page, const std::wstring& hrefPart, Hall* hall);

// Presses at (x, y), moves by (dx, dy) in steps and lets go there.
void DragBy(int x, int y, int dx, int dy);

}  // namespace e2e
