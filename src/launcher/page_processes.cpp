#include "launcher/page_processes.h"

#include <algorithm>

#include "common/log.h"
#include "common/newer_windows.h"
#include "common/page_area.h"
#include "skin/skin_image.h"
#include "common/page_hosting.h"
#include "framework/dialog.h"
#include "launcher/child_command.h"
#include "process/process.h"
#include "framework/start_marks.h"

namespace ovn {

namespace {

// The pages and the hall belong to other processes: the launcher moves, shows
// and hides them without waiting for them, so a page that hangs cannot hang it.
void PlaceWindow(HWND window, const Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, box.w, box.h,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_ASYNCWINDOWPOS);
}

// An owned page is a window of its own on the screen: showing it must not take
// the activation (the page shown is made the foreground window on purpose).
void ShowHeld(HWND window, bool show) {
    const int shown = PageHostingHere() == PageHosting::Owned ? SW_SHOWNA : SW_SHOW;
    ::ShowWindowAsync(window, show ? shown : SW_HIDE);
}

// A window of ours that leaves the launcher: out of it, out of sight, told to
// close. An owned window keeps its owner until it is gone: it is hidden.
void DetachAndClose(HWND window) {
    if (PageHostingHere() == PageHosting::Child)
        ::SetParent(window, nullptr);
    ShowHeld(window, false);
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// Whether a window is held the way this launcher holds its pages: its child,
// or a top-level window it owns.
bool HeldBy(HWND window, HWND launcher) {
    if (PageHostingHere() == PageHosting::Child)
        return ::GetParent(window) == launcher;
    const bool child = fw::HasStyle(window, WS_CHILD);
    return !child && ::GetWindow(window, GW_OWNER) == launcher;
}

// The process behind a child we started, while it still runs (its id cannot be
// reused by another process while we hold the handle).
DWORD RunningProcessId(HANDLE process) {
    if (!process || ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
        return 0;
    return ProcessIdOf(process);
}

}  // namespace

PageProcesses::PageProcesses(PageProcessEvents& events) : m_events(events), m_childProgram(ExecutablePath()) {}

HWND PageProcesses::PageWindow(std::size_t index) const {
    return index < m_slots.PageCount() ? ToHwnd(m_slots.Pages()[index]) : nullptr;
}

bool PageProcesses::StartGamePage() {
    fw::Handle process;
    const PageToken token = NewPageToken();
    if (!StartProgramWithArguments(
            m_childProgram, launcher::GamePageArguments(HandleToArgument(m_launcher), m_slots.PageCount(), token),
            &process))
        return false;  // the previous pending page, if any, stays pending
    fw::RecordStartMark(fw::StartMark::PageProcessStart);
    m_hPendingProcess = std::move(process);  // an older pending handle is closed, not terminated
    m_pendingToken = token;
    m_bPendingAbandoned = false;
    m_bInputBackDue = false;  // the new page's login holds the launcher now
    ::SetTimer(m_launcher, kTimerPendingWatch, kPendingWatchMs, nullptr);
    return true;
}

launcher::PageRequest PageProcesses::RequestPage() {
    const launcher::PageRequest request = launcher::DecidePageRequest(m_slots.PageCount(), PagePending());
    if (request == launcher::PageRequest::Start)
        StartGamePage();
    return request;
}

bool PageProcesses::PagePending() {
    if (m_hPendingProcess && ::WaitForSingleObject(m_hPendingProcess.get(), 0) != WAIT_TIMEOUT)
        CheckPendingProcess();  // it ended: settle that first
    return static_cast<bool>(m_hPendingProcess);
}

LRESULT PageProcesses::ClaimLabel(HWND sender, const COPYDATASTRUCT* data) {
    if (!data)
        return 0;
    auto claim = launcher::LabelFromCopyData(data->lpData, data->cbData);
    if (!claim)
        return 0;  // not a label: refused rather than read past what was sent
    // Any process can send this, naming any window as its own: a stranger's
    // well-formed claim would take the pending page's one label, and the
    // player's own claim would then be refused. Only the page we started knows
    // its token.
    auto label = PagePending() ? LabelOfClaim(*claim, m_pendingToken) : std::nullopt;
    if (!label) {
        DWORD pid = 0;
        if (sender && ::IsWindow(sender))
            ::GetWindowThreadProcessId(sender, &pid);
        LogFailureF(0, L"label claim refused: window %p of process %lu is not the page we are waiting for", sender,
                    pid);
        return 0;
    }
    if (m_slots.ClaimLabel(*label, true))
        return 1;
    LogFailure(L"label claim refused: a duplicate, or no page waiting for one", 0);
    return 0;
}

bool PageProcesses::IsPendingPageWord(WPARAM wParam, LPARAM lParam) {
    return PagePending() && IsTokenWord(wParam, lParam, m_pendingToken);
}

HWND PageProcesses::LiveHall() {
    HWND hall = HallWindow();
    if (hall && !::IsWindow(hall)) {
        m_slots.ForgetHall();  // its process ended: the button may start a new one
        hall = nullptr;
    }
    return hall;
}

launcher::Offerer PageProcesses::OffererOf(HWND window) const {
    DWORD pid = 0;
    if (!window || !::IsWindow(window))
        return launcher::Offerer::Stranger;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == 0)
        return launcher::Offerer::Stranger;
    if (pid == RunningProcessId(m_hPendingProcess.get()))
        return launcher::Offerer::PendingPage;
    if (pid == RunningProcessId(m_hHallProcess.get()))
        return launcher::Offerer::HallProcess;
    return launcher::Offerer::Stranger;
}

PageProcesses::Arrival PageProcesses::AdoptWindow(HWND window, bool isHall) {
    // Anybody can post this request: the window must be one of the two children
    // we are waiting for, already inside us, in the role it was started for.
    if (!window || window == m_launcher || !::IsWindow(window))
        return Arrival::None;
    const launcher::WindowId id = ToId(window);
    if (std::find(m_slots.Pages().begin(), m_slots.Pages().end(), id) != m_slots.Pages().end() ||
        id == m_slots.Hall())
        return Arrival::None;

    launcher::AdoptionOffer offer;
    offer.who = OffererOf(window);
    offer.asHall = isHall;
    offer.insideUs = HeldBy(window, m_launcher);
    offer.hallHeld = LiveHall() != nullptr;
    offer.pages = m_slots.PageCount();
    const launcher::Admission admission = launcher::DecideAdoption(offer);
    if (admission == launcher::Admission::Refuse) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        LogFailureF(0, L"adoption refused: window %p of process %lu is not a child we are waiting for%ls", window,
                    pid, offer.insideUs ? L"" : L" (or not inside the launcher)");
        return Arrival::None;
    }

    // Whatever becomes of the window, the request that started its process is over.
    if (offer.who == launcher::Offerer::PendingPage) {
        m_hPendingProcess.reset();
        m_bPendingAbandoned = false;
        if (admission != launcher::Admission::AdoptPage)
            m_slots.DropUnadoptedLabels();  // its label has no tab to go to
    } else {
        m_hHallProcess.reset();
    }

    switch (admission) {
    case launcher::Admission::CloseIt:
        LogFailureF(0, L"adoption refused: our own %ls cannot be taken as %ls; told to close",
                    offer.who == launcher::Offerer::PendingPage ? L"page" : L"hall", isHall ? L"the hall" : L"a page");
        DetachAndClose(window);
        return Arrival::None;
    case launcher::Admission::AdoptHall:
        if (m_slots.Adopt(id, true).firstArrival)
            m_events.OnFirstArrival();
        if (m_slots.HallShown()) {
            ShowPage(nullptr);
            PlaceInPageArea(window);
            ShowHeld(window, OnScreenWithLauncher());
        } else {
            ShowHeld(window, false);
        }
        return Arrival::Hall;
    case launcher::Admission::AdoptPage: {
        const bool first = m_slots.Adopt(id, false).firstArrival;
        if (first)
            m_events.OnFirstArrival();
        ShowPage(window);
        if (first)
            fw::RecordStartMark(fw::StartMark::PageAdopted);
        return Arrival::Page;
    }
    case launcher::Admission::Refuse:
        break;
    }
    return Arrival::None;
}

void PageProcesses::PlaceInPageArea(HWND window) const {
    RECT client = {};
    POINT origin = {};
    ::GetClientRect(m_launcher, &client);
    ::ClientToScreen(m_launcher, &origin);
    PlaceWindow(window, HostedPageBox(PageHostingHere(), PageArea(client.right, client.bottom, skin::LayoutScale(m_launcher)), origin.x, origin.y));
}

bool PageProcesses::LauncherOnScreen() const {
    return ::IsWindowVisible(m_launcher) && !::IsIconic(m_launcher);
}

void PageProcesses::ShowPage(HWND page, bool keepKeyboard) {
    const auto& pages = m_slots.Pages();
    const auto held = std::find(pages.begin(), pages.end(), ToId(page));
    if (page && held != pages.end()) {
        // A page on screen means the hall is not.
        m_slots.Select(static_cast<std::size_t>(held - pages.begin()));
        m_slots.SetHallShown(false);
    }
    for (launcher::WindowId id : pages) {
        HWND w = ToHwnd(id);
        if (page && w == page) {
            PlaceInPageArea(w);
            if (PageHostingHere() == PageHosting::Owned)
                KeepAboveLauncher(w);
            ShowHeld(w, OnScreenWithLauncher());
            if (!keepKeyboard)
                HandKeyboardWhenShown(w);
        } else {
            ShowHeld(w, false);
        }
    }
    if (page && held != pages.end())
        if (HWND hall = LiveHall())
            ShowHeld(hall, false);
}

// The page's own thread shows it (asked without waiting, so that a hung page
// cannot hang the launcher), and a foreground handed over before that lands on
// a hidden window: the system then gives the keyboard to nobody, and the
// desktop is in front. So the launcher, which still has the foreground the
// player's click gave it, hands it over once the page is on screen; and under
// Wine, where a window just shown may not take the keyboard yet, again while
// it is still ours or nobody's. Another program in front ends the handover.
void PageProcesses::HandKeyboardWhenShown(HWND page) {
    m_keyboardFor = ToId(page);
    m_keyboardChecks = 0;
    m_keyboardHanded = -1;
    ::SetTimer(m_launcher, kTimerPageKeyboard, kPageKeyboardCheckMs, nullptr);
}

void PageProcesses::CheckPageKeyboard() {
    HWND page = ToHwnd(m_keyboardFor);
    // Another page, the hall or a hidden launcher since: the keyboard stays where it is.
    const bool wanted = page && page == CurrentPage() && !m_slots.HallShown() && ::IsWindow(page);
    if (wanted && ++m_keyboardChecks < kPageKeyboardChecks) {
        if (!::IsWindowVisible(page))
            return;  // not on screen yet
        HWND front = ::GetForegroundWindow();
        if (front == page)
            return StopKeyboardHandover();
        const bool first = m_keyboardHanded < 0;
        if (!first && !OursOrNobody(front, page))
            return StopKeyboardHandover();  // another program took it: it stays there
        if (first || m_keyboardChecks - m_keyboardHanded >= kPageKeyboardRetryChecks) {
            m_keyboardHanded = m_keyboardChecks;
            ::SetForegroundWindow(page);
        }
        return;
    }
    StopKeyboardHandover();
}

// Nobody, the desktop, the launcher or a window of the page's own process (its
// login leaving): the keyboard is still ours to hand over.
bool PageProcesses::OursOrNobody(HWND front, HWND page) {
    if (!front || front == ::GetDesktopWindow())
        return true;
    DWORD frontProcess = 0, pageProcess = 0;
    ::GetWindowThreadProcessId(front, &frontProcess);
    ::GetWindowThreadProcessId(page, &pageProcess);
    return frontProcess == ::GetCurrentProcessId() || frontProcess == pageProcess;
}

void PageProcesses::StopKeyboardHandover() {
    ::KillTimer(m_launcher, kTimerPageKeyboard);
    m_keyboardFor = 0;
}

void PageProcesses::ShowNextPage() {
    m_slots.SelectNext();
    ShowPage(CurrentPage());
}

bool PageProcesses::ClosePage(std::size_t index) {
    if (index >= m_slots.PageCount())
        return false;
    const launcher::WindowId window = m_slots.Pages()[index];
    const bool hallShown = m_slots.HallShown();
    m_slots.Close(index);
    if (hallShown)
        ShowPage(nullptr);  // the hall stays where the player put it
    else
        ShowPage(CurrentPage());
    DetachAndClose(ToHwnd(window));
    return true;
}

void PageProcesses::CloseAll() {
    if (m_hPendingProcess) {
        ::TerminateProcess(m_hPendingProcess.get(), 0);  // a page still logging in goes with us
        m_hPendingProcess.reset();
    }
    m_hHallProcess.reset();
    for (launcher::WindowId id : m_slots.TakeAllPages())
        DetachAndClose(ToHwnd(id));
    ::KillTimer(m_launcher, kTimerPendingWatch);
    // The hall is told nothing: it ends once the launcher window is gone.
}

bool PageProcesses::HallProcessStarting() {
    if (!m_hHallProcess)
        return false;
    if (::WaitForSingleObject(m_hHallProcess.get(), 0) == WAIT_TIMEOUT)
        return true;
    m_hHallProcess.reset();  // it ended without its window: a new click may try again
    return false;
}

void PageProcesses::ToggleGameHall() {
    HWND hall = LiveHall();
    if (m_slots.HallShown()) {
        m_slots.SetHallShown(false);
        ShowPage(CurrentPage());
        if (hall)
            ShowHeld(hall, false);
        return;
    }
    if (!hall && !HallProcessStarting()) {
        // One hall at a time: a click while it is still starting starts no second one.
        fw::Handle process;
        if (!StartProgramWithArguments(m_childProgram, launcher::GameHallArguments(HandleToArgument(m_launcher)),
                                       &process))
            return;  // nothing to show instead: the page stays
        m_hHallProcess = std::move(process);
    }
    // Until it arrives the area stays empty; it is shown on arrival.
    m_slots.SetHallShown(true);
    ShowPage(nullptr);
    if (hall) {
        PlaceInPageArea(hall);
        ShowHeld(hall, OnScreenWithLauncher());
    }
}

void PageProcesses::PlaceOnSize(UINT sizeType) {
    // A minimised launcher keeps its pages at their size.
    if (sizeType == SIZE_MINIMIZED)
        return;
    if (HWND hall = LiveHall(); hall && m_slots.HallShown())
        PlaceInPageArea(hall);
    else if (!m_slots.Empty())
        PlaceInPageArea(CurrentPage());
}

bool PageProcesses::OnScreenWithLauncher() const {
    // A child is seen exactly when its parent is; an owned window must be told.
    return PageHostingHere() == PageHosting::Child || LauncherOnScreen();
}

void PageProcesses::FollowLauncher(bool restacked) {
    if (PageHostingHere() != PageHosting::Owned)
        return;
    HWND shown = m_slots.HallShown() ? LiveHall() : (m_slots.Empty() ? nullptr : CurrentPage());
    if (!shown || !::IsWindow(shown))
        return;
    const bool strayTopmost = fw::HasExStyle(shown, WS_EX_TOPMOST);
    if (LauncherOnScreen()) {
        PlaceInPageArea(shown);
        if (restacked || strayTopmost)
            KeepAboveLauncher(shown);
    }
    ShowHeld(shown, LauncherOnScreen());
}

void PageProcesses::KeepAboveLauncher(HWND window) const {
    // An owned window stays over its owner on Windows; Wine's server does not
    // keep a window of another process there when the owner is raised (the
    // player clicks the caption, the boss key brings the launcher back), and
    // the page would be under the launcher's empty page area. It goes directly
    // above the launcher, below whatever else was over it.
    // Never among the topmost windows: the launcher is there only for a moment
    // while it is brought in front, and a page put after a topmost window
    // would become one, over every other program.
    const auto topmost = [](HWND h) { return fw::HasExStyle(h, WS_EX_TOPMOST); };
    if (topmost(m_launcher))
        return;
    // Raising the launcher through the topmost band (as bringing it in front
    // does) takes the pages it owns there with it, and leaves them there.
    HWND above = ::GetWindow(m_launcher, GW_HWNDPREV);
    if (above == window && !topmost(window))
        return;
    ::SetWindowPos(window, !above || above == window || topmost(above) ? HWND_NOTOPMOST : above, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

void PageProcesses::FollowEnabled(bool enabled) const {
    if (PageHostingHere() != PageHosting::Owned)
        return;
    // A child is disabled with its parent; an owned page must be told, or a
    // click on it would take it over the question that holds the launcher.
    for (launcher::WindowId page : m_slots.Pages())
        ::EnableWindow(ToHwnd(page), enabled);
    if (HWND hall = HallWindow(); hall && ::IsWindow(hall))
        ::EnableWindow(hall, enabled);
}

void PageProcesses::PostToPages(UINT msg, WPARAM wParam, LPARAM lParam, bool toHall) const {
    for (launcher::WindowId page : m_slots.Pages())
        ::PostMessageW(ToHwnd(page), msg, wParam, lParam);
    if (HWND hall = HallWindow(); toHall && hall)
        ::PostMessageW(hall, msg, wParam, lParam);
}

void PageProcesses::NoteAbandonNotice() {
    // The page posts this and then ends: look again shortly.
    m_bPendingAbandoned = true;
    ::SetTimer(m_launcher, kTimerPendingWatch, kPendingAbandonCheckMs, nullptr);
}

void PageProcesses::CheckPendingProcess() {
    if (m_hPendingProcess) {
        if (::WaitForSingleObject(m_hPendingProcess.get(), 0) != WAIT_OBJECT_0) {
            // Back to the normal pace after a quick look.
            ::SetTimer(m_launcher, kTimerPendingWatch, kPendingWatchMs, nullptr);
            return;
        }
        if (SettleEndedPendingPage()) {
            ::KillTimer(m_launcher, kTimerPendingWatch);
            m_events.OnNothingLeftToShow();
            return;
        }
    }
    if (m_bInputBackDue && !TakeInputBack()) {
        ::SetTimer(m_launcher, kTimerPendingWatch, kPendingWatchMs, nullptr);  // one of our questions holds it yet
        return;
    }
    ::KillTimer(m_launcher, kTimerPendingWatch);
}

bool PageProcesses::SettleEndedPendingPage() {
    // The page ended without its window: it abandoned its login, crashed or could
    // not make its frame. Its label must not stay behind, and a launcher with no
    // page left to show must not stay on, invisible or showing only the hall the
    // player never asked for.
    const bool abandoned = m_bPendingAbandoned;
    if (!abandoned) {
        DWORD code = 0;
        ::GetExitCodeProcess(m_hPendingProcess.get(), &code);
        LogFailureF(0, L"page process ended before its window arrived (exit code 0x%lx)", code);
    }
    m_hPendingProcess.reset();
    m_bPendingAbandoned = false;
    m_slots.DropUnadoptedLabels();
    // A later tab's login runs modally over the launcher and disables it; a page
    // killed or crashed at its login never enables it again.
    m_bInputBackDue = !::IsWindowEnabled(m_launcher);
    return m_slots.Empty() && (abandoned || !m_slots.AnyArrived());
}

bool PageProcesses::TakeInputBack() {
    // The launcher runs in a modal loop of its own, which holds nothing; a
    // question of ours over it does, and the launcher waits for it to end.
    if (fw::Dialog::ModalLoopsOver(m_launcher) > 0)
        return false;
    m_bInputBackDue = false;
    if (!::IsWindowEnabled(m_launcher)) {
        LogFailure(L"launcher enabled again: its page ended at its login", 0);
        ::EnableWindow(m_launcher, TRUE);
    }
    return true;
}

}  // namespace ovn
