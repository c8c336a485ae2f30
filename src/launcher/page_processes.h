// The life cycle of the launcher's page processes: starting the game-page and
// game-hall processes, the page that is still logging in, the tab labels they
// claim, the adoption of their windows, which of them is on screen in the page
// area, and closing them. The launcher window owns one and attaches it to itself;
// what may be adopted, claimed or started is decided by the rules of page_slots.h,
// and this class carries those decisions out on the windows and processes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "common/page_token.h"
#include "framework/handles.h"
#include "launcher/launcher_messages.h"
#include "launcher/page_slots.h"

namespace ovn {

constexpr UINT kPendingWatchMs = 500;
constexpr UINT kPendingAbandonCheckMs = 50;  // a page that said it gives up is about to end

// What the launcher window does when the life cycle reaches one of its turns.
class PageProcessEvents {
public:
    // The first window ever adopted: the launcher comes into sight.
    virtual void OnFirstArrival() = 0;
    // The page the launcher was started for is gone without a tab ever being
    // shown (its login was abandoned, or it died): nothing is left to show.
    virtual void OnNothingLeftToShow() = 0;

protected:
    ~PageProcessEvents() = default;
};

class PageProcesses {
public:
    explicit PageProcesses(PageProcessEvents& events);
    PageProcesses(const PageProcesses&) = delete;
    PageProcesses& operator=(const PageProcesses&) = delete;

    // The launcher window the pages live in (and whose timer watches the pending page).
    void Attach(HWND launcher) { m_launcher = launcher; }
    // Which executable the children run: this one, unless a test puts a stand-in there.
    void SetChildProgram(std::wstring path) { m_childProgram = std::move(path); }
    const std::wstring& ChildProgram() const { return m_childProgram; }

    const launcher::PageSlots& Slots() const { return m_slots; }
    HWND PageWindow(std::size_t index) const;
    HWND CurrentPage() const { return ToHwnd(m_slots.Current()); }
    HWND HallWindow() const { return ToHwnd(m_slots.Hall()); }
    HANDLE PendingProcess() const { return m_hPendingProcess.get(); }
    // The page area shows the hall (the launcher's own record, never the hall's say).
    bool HallShown() const { return m_slots.HallShown(); }
    // A page process we started is still on its way (one that ended is settled first).
    bool PagePending();

    // Starts a game-page process for the next tab; false when it could not start
    // (then the previous pending page, if any, stays pending).
    bool StartGamePage();
    // "Another account in this window": starts a page unless the rules say no.
    launcher::PageRequest RequestPage();
    // A page's WM_COPYDATA (sender: the window it names as its own, only for the
    // log): 1 when its label is accepted. Only the page we started and are
    // waiting for may claim: its claim carries the token it was started with.
    LRESULT ClaimLabel(HWND sender, const COPYDATASTRUCT* data);

    // A page's or the hall's request to be adopted (WM_USER+2).
    enum class Arrival { None, Page, Hall };
    Arrival AdoptWindow(HWND window, bool isHall);

    // Shows the given page (it becomes the current tab) and hides every other;
    // null hides every page.
    // keepKeyboard: the page is shown without the foreground (the player
    // chose it from the keyboard on the tab strip and goes on there).
    void ShowPage(HWND page, bool keepKeyboard = false);
    // The current tab moves to the next one (wrapping) and is shown.
    void ShowNextPage();
    // Button 1004: shows the hall (starting its process the first time) or goes
    // back to the current page.
    void ToggleGameHall();
    // Tab index leaves the launcher: detached and told to close; the tab at the
    // same index (or the new last one) is shown unless the hall is. False when no
    // such tab is held now.
    bool ClosePage(std::size_t index);
    // The launcher ends: a page still logging in is killed, every page told to close.
    void CloseAll();

    // Keeps what is shown in the page area after the launcher was resized.
    void PlaceOnSize(UINT sizeType);
    // The launcher was moved, resized, hidden, shown, minimised or restored, or
    // (restacked) came to another place among the windows on the screen: owned
    // pages do not go with it by themselves, so the one shown follows.
    void FollowLauncher(bool restacked);
    // The launcher was enabled or disabled (a modal question of its own, or a
    // page's): owned pages go with it, as children would.
    void FollowEnabled(bool enabled) const;
    // Posts a message to every page, and to the hall as well when toHall.
    void PostToPages(UINT msg, WPARAM wParam, LPARAM lParam, bool toHall) const;

    // Whether a posted word (wParam, lParam) carries the token of the page we
    // started and still wait for.
    bool IsPendingPageWord(WPARAM wParam, LPARAM lParam);

    // The pending page said it gave up its login: look at its process shortly.
    void NoteAbandonNotice();
    // Timer kTimerPendingWatch: settles a pending page that ended without its window.
    void CheckPendingProcess();
    // Timer kTimerPageKeyboard: the page shown last gets the keyboard once it is
    // on screen.
    void CheckPageKeyboard();

    static HWND ToHwnd(launcher::WindowId id) { return reinterpret_cast<HWND>(id); }
    static launcher::WindowId ToId(HWND hwnd) { return reinterpret_cast<launcher::WindowId>(hwnd); }

private:
    bool HallProcessStarting();
    HWND LiveHall();  // the hall's window, forgotten once it is gone
    launcher::Offerer OffererOf(HWND window) const;
    void PlaceInPageArea(HWND window) const;
    bool LauncherOnScreen() const;      // visible and not minimised
    void KeepAboveLauncher(HWND window) const;
    void HandKeyboardWhenShown(HWND page);
    void StopKeyboardHandover();
    static bool OursOrNobody(HWND front, HWND page);
    bool OnScreenWithLauncher() const;  // whether a window shown now would be seen
    // Forgets a pending page that ended before its window came: true when the
    // launcher has nothing left to show.
    bool SettleEndedPendingPage();
    // The launcher is enabled again once no question of ours holds it: false
    // while one does.
    bool TakeInputBack();

    PageProcessEvents& m_events;
    HWND m_launcher = nullptr;
    std::wstring m_childProgram;
    launcher::PageSlots m_slots;   // m_pages, m_labels, m_hallWnd, m_nSelected
    fw::Handle m_hPendingProcess;  // the newest page process whose window has not arrived
    PageToken m_pendingToken = 0;  // the token it was started with
    fw::Handle m_hHallProcess;     // the hall process until its window arrives
    bool m_bPendingAbandoned = false;  // the pending page said it gave up its login
    launcher::WindowId m_keyboardFor = 0;  // the page to get the keyboard once it shows
    int m_keyboardChecks = 0;              // how often it has been looked at since
    int m_keyboardHanded = -1;             // at which look it was handed over last (-1: not yet)
    bool m_bInputBackDue = false;  // a page died at its login leaving the launcher disabled
};

}  // namespace ovn
