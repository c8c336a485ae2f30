// The launcher's page slots: which game-page windows it holds, in tab order, their
// tab labels, the game hall and the current tab. Platform-free: windows are opaque
// numbers here; the launcher window applies what these rules decide.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ovn::launcher {

using WindowId = std::uintptr_t;

// A label is an account record: a few dozen characters. Anything longer than this
// is not one and is refused rather than kept.
inline constexpr std::size_t kMaxLabelChars = 1024;

// Reads the label a page sends with WM_COPYDATA: UTF-16 text with its terminating
// zero inside the byte count. Refused (nullopt): no data, an odd or oversized byte
// count, or no terminator within the bytes given. The text ends at the first zero.
// Each UTF-16 unit becomes one wchar_t (on Windows that is the same text).
std::optional<std::wstring> LabelFromCopyData(const void* data, std::size_t bytes);

// Who offered a window for adoption, as the launcher tells from the process
// that owns it: one of the two children it is waiting for, or anybody else.
enum class Offerer { Stranger, PendingPage, HallProcess };

// What becomes of an offered window. Strangers are never touched: not moved,
// not shown, not closed. A window of our own child that cannot be taken (a
// fourth page, a second hall, a page of the hall process) is told to close, so
// it does not linger hidden inside the launcher.
enum class Admission { Refuse, AdoptPage, AdoptHall, CloseIt };

struct AdoptionOffer {
    Offerer who = Offerer::Stranger;
    bool asHall = false;       // lParam 1 of the request
    bool insideUs = false;     // the window is already a child of the launcher window
    bool hallHeld = false;     // a live hall window is held already
    std::size_t pages = 0;     // pages held now
};

Admission DecideAdoption(const AdoptionOffer& offer);

// Whether "another account in this window" may start a page process now.
enum class PageRequest { Start, Busy, Full };
PageRequest DecidePageRequest(std::size_t pages, bool pendingPage);

class PageSlots {
public:
    struct AdoptResult {
        bool firstArrival = false;  // the first window ever adopted: fill the screen, tray, timer
        bool adopted = false;       // false when the window was already held
    };

    // Accepts a label unless an equal one (exact, case-sensitive) is held, and
    // only while a page can still take it: labels never outnumber the pages held
    // plus the one page request that may be pending.
    bool ClaimLabel(const std::wstring& label, bool pageRequestPending);

    // A page or the hall has arrived. A page becomes the last and current tab and
    // is what is shown; a window without a claimed label gets an empty one so
    // labels stay in step. The hall is shown on arrival only when it was asked
    // for or there is no page to show instead.
    AdoptResult Adopt(WindowId window, bool isHall);

    // What the launcher shows below its caption: the hall or the current page.
    // The launcher's own record, never read back from the other processes'
    // windows, which may show or hide themselves at any moment.
    bool HallShown() const { return m_hallShown; }
    void SetHallShown(bool shown) { m_hallShown = shown; }
    // The hall's window is gone (its process ended): a new one may be started.
    void ForgetHall() { m_hallWnd = 0; }

    // Removes tab index and its label; the window to detach is returned, and the
    // tab at the same index (or the new last one) becomes current. Out of range:
    // nothing happens.
    std::optional<WindowId> Close(std::size_t index);

    // Labels claimed by a request whose window never arrived: forgotten once that
    // request is known to be over, so the next page's label lands on its own tab
    // and the account may log in again.
    void DropUnadoptedLabels();

    // The next tab for the window-switch key: wraps from the last to the first.
    void SelectNext();
    // Selects tab index when it exists.
    bool Select(std::size_t index);

    // The whole launcher goes: every page is handed back for closing.
    std::vector<WindowId> TakeAllPages();


    const std::vector<WindowId>& Pages() const { return m_pages; }
    const std::vector<std::wstring>& Labels() const { return m_labels; }
    std::size_t PageCount() const { return m_pages.size(); }
    bool Empty() const { return m_pages.empty(); }
    std::size_t Selected() const { return m_nSelected; }
    // The current tab's window, or 0 without pages.
    WindowId Current() const { return m_pages.empty() ? 0 : m_pages[m_nSelected]; }
    // The label of tab index, or an empty text.
    std::wstring LabelOf(std::size_t index) const;
    WindowId Hall() const { return m_hallWnd; }
    bool AnyArrived() const { return m_anyArrived; }

private:
    std::vector<WindowId> m_pages;
    std::vector<std::wstring> m_labels;
    WindowId m_hallWnd = 0;
    std::size_t m_nSelected = 0;
    bool m_anyArrived = false;
    bool m_hallShown = false;
};

}  // namespace ovn::launcher
