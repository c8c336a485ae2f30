#include "launcher/kelvor3_dlg.h"

#include <algorithm>

#include "skin/message_box.h"
#include "common/log.h"
#include "process/process.h"
#include "common/protocol.h"
#include "launcher/child_command.h"
#include "launcher/launcher_input.h"
#include "launcher/launcher_layout.h"
#include "launcher/tab_strip.h"
#include "skin/skin_image.h"

#include "res/skin_ids.h"

namespace ovn {

CKelvor3Dlg* TheLauncher = nullptr;
HotkeySetting BossHotkey, SwitchHotkey, SoundHotkey;
int LastWidth = 0;
int LastSoundImage = 1;

namespace {

constexpr wchar_t kCaption[] = L"QuenraOrvane";

static_assert(kWmKeyDown == WM_KEYDOWN && kWmSysKeyDown == WM_SYSKEYDOWN && kWmChar == WM_CHAR &&
              kWmSysCommand == WM_SYSCOMMAND);
static_assert(kScClose == SC_CLOSE && kScRestore == SC_RESTORE && kVkEscape == VK_ESCAPE && kVkSpace == VK_SPACE &&
              kVkF5 == VK_F5);
static_assert(kMsgAdoptFrame == WM_USER + 2 && kMsgSoundState == WM_USER + 5);

bool KeyDown(int vk) { return (::GetKeyState(vk) & 0xFF00) != 0; }

int CurrentModifiers() { return ModifierMask(KeyDown(VK_CONTROL), KeyDown(VK_SHIFT), KeyDown(VK_MENU)); }

// The pages and the hall belong to other processes: the launcher moves, shows
// and hides them without waiting for them, so a page that hangs cannot hang it.
void PlaceChild(HWND window, const Box& box) {
    ::SetWindowPos(window, nullptr, box.x, box.y, box.w, box.h,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_ASYNCWINDOWPOS);
}

void ShowChild(HWND window, bool show) { ::ShowWindowAsync(window, show ? SW_SHOW : SW_HIDE); }

// A window of ours that leaves the launcher: out of it, out of sight, told to close.
void DetachAndClose(HWND window) {
    ::SetParent(window, nullptr);
    ShowChild(window, false);
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The process behind a child we started, while it still runs (its id cannot be
// reused by another process while we hold the handle).
DWORD RunningProcessId(HANDLE process) {
    if (!process || ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
        return 0;
    return ::GetProcessId(process);
}

}  // namespace

CKelvor3Dlg::CKelvor3Dlg() : skin::CDlgEx(IDD_KELVOR3_DIALOG), m_childProgram(ExecutablePath()) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    TheLauncher = this;
}

CKelvor3Dlg::~CKelvor3Dlg() {
    // Gone before the members it paints with.
    if (hwnd())
        Destroy();
    if (TheLauncher == this) {
        RemoveKeyboardHook();  // a window that never exited leaves no hook behind
        TheLauncher = nullptr;
    }
}

HWND CKelvor3Dlg::PageWindow(std::size_t index) const {
    return index < m_slots.PageCount() ? ToHwnd(m_slots.Pages()[index]) : nullptr;
}

void CKelvor3Dlg::DoDataExchange() {
    m_btnHide.SubclassDlgItem(IDC_BTN_HIDE, hwnd());
    m_btnSound.SubclassDlgItem(IDC_BTN_SOUND, hwnd());
    m_btnMenu.SubclassDlgItem(IDC_BTN_MENU, hwnd());
    m_btnHall.SubclassDlgItem(IDC_BTN_HALL, hwnd());
    m_lnkOtherAccount.SubclassDlgItem(IDC_LNK_OTHER_ACCOUNT, hwnd());
}

bool CKelvor3Dlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    DoDataExchange();

    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    InstallKeyboardHook();

    m_osVersion.dwOSVersionInfoSize = sizeof m_osVersion;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&m_osVersion);
#pragma GCC diagnostic pop

    SetUpSkin();

    StartGamePage();
    LoadHotkeys();
    return true;
}

void CKelvor3Dlg::SetUpSkin() {
    HWND h = hwnd();
    ::SetWindowLongPtrW(h, GWL_STYLE, ::GetWindowLongPtrW(h, GWL_STYLE) | WS_CLIPCHILDREN);

    SetCaptionText(kCaption);
    m_nCaptionHeight = 30;
    m_nBorderWidth = 4;
    m_nButtonRightMargin = 0;
    m_nButtonTop = 0;
    m_nButtonGap = 0;
    m_nTitleWeight = 600;

    // The close and minimise strips are copied into their buttons and stay ours.
    gdi::Bitmap close = skin::LoadSkinImage(IDB_BTN_CLOSE);
    gdi::Bitmap minimize = skin::LoadSkinImage(IDB_BTN_MIN);
    SetSkin(skin::LoadSkinImage(IDB_MAIN_FRAME), false, true, minimize.get(), skin::LoadSkinImage(IDB_BTN_MAX),
            skin::LoadSkinImage(IDB_BTN_RESTORE), close.get());
    m_bResizable = true;

    // Out of sight until the first page arrives.
    ::SetWindowPos(h, nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);

    m_bmpHide = skin::LoadSkinImage(IDB_BTN_HIDE);
    m_bmpMenu = skin::LoadSkinImage(IDB_BTN_MENU);
    m_bmpSoundOn = skin::LoadSkinImage(IDB_BTN_SOUND_ON);
    m_bmpSoundOff = skin::LoadSkinImage(IDB_BTN_SOUND_OFF);
    m_bmpHallHidden = skin::LoadSkinImage(IDB_BTN_HALL_HIDDEN);
    m_bmpHallShown = skin::LoadSkinImage(IDB_BTN_HALL_SHOWN);
    if (m_btnHide.hwnd())
        m_btnHide.SetImage(m_bmpHide.get(), false);
    if (m_btnSound.hwnd())
        m_btnSound.SetImage(m_bmpSoundOn.get(), false);
    if (m_btnMenu.hwnd()) {
        m_btnMenu.SetImage(m_bmpMenu.get(), false);
        m_btnMenu.m_crText = RGB(255, 255, 255);
    }
    if (m_btnHall.hwnd())
        m_btnHall.SetImage(m_bmpHallHidden.get(), false);
    if (HWND link = m_lnkOtherAccount.hwnd()) {
        gdi::Bitmap image = skin::LoadSkinImage(IDB_LINK_ACCOUNT);  // copied into the link
        m_lnkOtherAccount.SetImage(image.get());
        m_lnkOtherAccount.m_crText = RGB(255, 255, 255);
        m_lnkOtherAccount.m_bLink = true;
        m_lnkOtherAccount.m_bUnderline = true;
        // Its clicks reach us as WM_COMMAND.
        ::SetWindowLongPtrW(link, GWL_STYLE, ::GetWindowLongPtrW(link, GWL_STYLE) | SS_NOTIFY);
    }

    m_tabStrip.SetUp(h);
}

void CKelvor3Dlg::StartGamePage() {
    fw::Handle process;
    if (!StartProgramWithArguments(
            m_childProgram, launcher::GamePageArguments(HandleToArgument(hwnd()), m_slots.PageCount()), &process))
        return;  // the previous pending page, if any, stays pending
    m_hPendingProcess = std::move(process);  // an older pending handle is closed, not terminated
    m_bPendingAbandoned = false;
    SetTimer(kTimerPendingWatch, kPendingWatchMs);
}

bool CKelvor3Dlg::PagePending() {
    if (m_hPendingProcess && ::WaitForSingleObject(m_hPendingProcess.get(), 0) != WAIT_TIMEOUT)
        CheckPendingProcess();  // it ended: settle that first
    return static_cast<bool>(m_hPendingProcess);
}

LRESULT CKelvor3Dlg::ClaimLabel(const COPYDATASTRUCT* data) {
    if (!data)
        return 0;
    auto label = launcher::LabelFromCopyData(data->lpData, data->cbData);
    if (!label)
        return 0;  // not a label: refused rather than read past what was sent
    if (m_slots.ClaimLabel(*label, PagePending()))
        return 1;
    LogFailure(L"label claim refused: a duplicate, or no page waiting for one", 0);
    return 0;
}

HWND CKelvor3Dlg::LiveHall() {
    HWND hall = HallWindow();
    if (hall && !::IsWindow(hall)) {
        m_slots.ForgetHall();  // its process ended: the button may start a new one
        hall = nullptr;
    }
    return hall;
}

launcher::Offerer CKelvor3Dlg::OffererOf(HWND window) const {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == 0)
        return launcher::Offerer::Stranger;
    if (pid == RunningProcessId(m_hPendingProcess.get()))
        return launcher::Offerer::PendingPage;
    if (pid == RunningProcessId(m_hHallProcess.get()))
        return launcher::Offerer::HallProcess;
    return launcher::Offerer::Stranger;
}

void CKelvor3Dlg::OnFirstArrival() {
    // The launcher comes into sight over the work area.
    ToggleMaximize();
    SetTrayIcon(true);
    SetTimer(kTimerSound, 400);
    SetTimer(kTimerNotice, kNoticeDelayMs);
}

LRESULT CKelvor3Dlg::AdoptWindow(HWND window, bool isHall) {
    // Anybody can post this request: the window must be one of the two children
    // we are waiting for, already inside us, in the role it was started for.
    if (!window || window == hwnd() || !::IsWindow(window))
        return 0;
    const launcher::WindowId id = ToId(window);
    if (std::find(m_slots.Pages().begin(), m_slots.Pages().end(), id) != m_slots.Pages().end() ||
        id == m_slots.Hall())
        return 0;

    launcher::AdoptionOffer offer;
    offer.who = OffererOf(window);
    offer.asHall = isHall;
    offer.insideUs = ::GetParent(window) == hwnd();
    offer.hallHeld = LiveHall() != nullptr;
    offer.pages = m_slots.PageCount();
    const launcher::Admission admission = launcher::DecideAdoption(offer);
    if (admission == launcher::Admission::Refuse) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        LogFailureF(0, L"adoption refused: window %p of process %lu is not a child we are waiting for%ls", window,
                    pid, offer.insideUs ? L"" : L" (or not inside the launcher)");
        return 0;
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
        return 0;
    case launcher::Admission::AdoptHall:
        if (m_slots.Adopt(id, true).firstArrival)
            OnFirstArrival();
        if (m_slots.HallShown()) {
            ShowPage(nullptr);
            PlaceInPageArea(window);
            ShowChild(window, true);
        } else {
            ShowChild(window, false);
        }
        return 0;
    case launcher::Admission::AdoptPage: {
        if (m_slots.Adopt(id, false).firstArrival)
            OnFirstArrival();
        ShowPage(window);
        const launcher::Span strip = launcher::TabStripRect(m_slots.PageCount());
        InvalidateSpan(strip.left, strip.top, strip.right, strip.bottom);
        return 0;
    }
    case launcher::Admission::Refuse:
        break;
    }
    return 0;
}

void CKelvor3Dlg::PlaceInPageArea(HWND window) {
    RECT client = {};
    ::GetClientRect(hwnd(), &client);
    PlaceChild(window, PageArea(client.right, client.bottom));
}

void CKelvor3Dlg::InvalidateSpan(int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    ::InvalidateRect(hwnd(), &r, TRUE);
}

void CKelvor3Dlg::ShowPage(HWND page) {
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
            ShowChild(w, true);
            ::SetForegroundWindow(w);
        } else {
            ShowChild(w, false);
        }
    }
    if (page && held != pages.end())
        if (HWND hall = LiveHall())
            ShowChild(hall, false);
}

void CKelvor3Dlg::SwitchToNextPage() {
    if (m_slots.Empty() || !::IsWindowVisible(hwnd()) || ::IsIconic(hwnd()))
        return;
    if (m_slots.PageCount() >= 2 && !m_slots.HallShown()) {
        launcher::Span old = launcher::TabRect(m_slots.Selected());
        InvalidateSpan(old.left, old.top, old.right, old.bottom);
        m_slots.SelectNext();
        launcher::Span now = launcher::TabRect(m_slots.Selected());
        InvalidateSpan(now.left, now.top, now.right, now.bottom);
    }
    ShowPage(CurrentPage());
}

void CKelvor3Dlg::ClosePage(int index) {
    if (m_slots.PageCount() < 2) {
        m_tabStrip.ForgetHover();
        if (index >= 0) {
            launcher::Span box = launcher::TabCloseBoxRect(static_cast<std::size_t>(index));
            InvalidateSpan(box.left, box.top, box.right, box.bottom);
        }
        OnCancel();  // the last tab closes the launcher, with its question
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_slots.PageCount())
        return;

    const launcher::WindowId window = m_slots.Pages()[static_cast<std::size_t>(index)];
    std::wstring question =
        L"确定要退出账号：" + m_slots.LabelOf(static_cast<std::size_t>(index)) + L" ?";
    const bool yes = skin::ShowMessageBox(4, kCaption, question.c_str(), hwnd()) == IDYES;

    // The question is modal: tabs may have come or gone meanwhile.
    auto it = std::find(m_slots.Pages().begin(), m_slots.Pages().end(), window);
    if (it == m_slots.Pages().end())
        return;
    const std::size_t at = static_cast<std::size_t>(it - m_slots.Pages().begin());
    if (!yes) {
        launcher::Span tab = launcher::TabRect(at);
        InvalidateSpan(tab.left, tab.top, tab.right, tab.bottom);
        m_tabStrip.ForgetHover();
        return;
    }
    const bool hallShown = m_slots.HallShown();
    m_slots.Close(at);
    if (hallShown)
        ShowPage(nullptr);  // the hall stays where the player put it
    else
        ShowPage(CurrentPage());
    DetachAndClose(ToHwnd(window));
    launcher::Span strip = launcher::TabStripAfterCloseRect(m_slots.PageCount());
    InvalidateSpan(strip.left, strip.top, strip.right, strip.bottom);
    m_tabStrip.ForgetHover();
}

void CKelvor3Dlg::OnCancel() {
    if (m_bAsking || m_bExiting)
        return;  // one question at a time
    m_bAsking = true;
    const int answer = skin::ShowMessageBox(4, kCaption, L"窗口即将关闭，确定要退出游戏？", hwnd());
    m_bAsking = false;
    if (answer == IDYES)
        ExitLauncher();
}

void CKelvor3Dlg::ExitLauncher() {
    if (m_bExiting)
        return;
    m_bExiting = true;
    if (m_hPendingProcess) {
        ::TerminateProcess(m_hPendingProcess.get(), 0);  // a page still logging in goes with us
        m_hPendingProcess.reset();
    }
    m_hHallProcess.reset();
    RemoveKeyboardHook();
    for (launcher::WindowId id : m_slots.TakeAllPages())
        DetachAndClose(ToHwnd(id));
    KillTimer(kTimerSound);
    KillTimer(kTimerPendingWatch);
    SetTrayIcon(false);
    // The hall is told nothing: it ends once this window is gone.
    ::PostQuitMessage(0);
}

void CKelvor3Dlg::RequestOtherAccount(WPARAM newTab) {
    if (newTab == 1) {
        switch (launcher::DecidePageRequest(m_slots.PageCount(), PagePending())) {
        case launcher::PageRequest::Full:
            skin::ShowMessageBox(0, kCaption, L"当前窗体只支持3个游戏页", hwnd());
            break;
        case launcher::PageRequest::Busy:
            LogFailure(L"another tab refused: a page is still logging in", 0);
            break;  // one login at a time: the pending page is still on screen
        case launcher::PageRequest::Start:
            StartGamePage();
            break;
        }
    } else if (newTab == 0) {
        StartProgramWithArguments(m_childProgram, {});  // a new launcher window
    }
}

void CKelvor3Dlg::ShowOtherAccountPrompt() {
    if (!m_addAccDlg.EnsureCreated(hwnd()))
        return;
    RECT link{};
    ::GetWindowRect(::GetDlgItem(hwnd(), IDC_LNK_OTHER_ACCOUNT), &link);
    m_addAccDlg.DropUnder(link);
}

bool CKelvor3Dlg::HallProcessStarting() {
    if (!m_hHallProcess)
        return false;
    if (::WaitForSingleObject(m_hHallProcess.get(), 0) == WAIT_TIMEOUT)
        return true;
    m_hHallProcess.reset();  // it ended without its window: a new click may try again
    return false;
}

void CKelvor3Dlg::ToggleGameHall() {
    HWND hall = LiveHall();
    if (m_slots.HallShown()) {
        m_slots.SetHallShown(false);
        ShowPage(CurrentPage());
        if (hall)
            ShowChild(hall, false);
        return;
    }
    if (!hall && !HallProcessStarting()) {
        // One hall at a time: a click while it is still starting starts no second one.
        fw::Handle process;
        if (!StartProgramWithArguments(m_childProgram, launcher::GameHallArguments(HandleToArgument(hwnd())),
                                       &process))
            return;  // nothing to show instead: the page stays
        m_hHallProcess = std::move(process);
    }
    // Until it arrives the area stays empty; it is shown on arrival.
    m_slots.SetHallShown(true);
    ShowPage(nullptr);
    if (hall) {
        PlaceInPageArea(hall);
        ShowChild(hall, true);
    }
}

void CKelvor3Dlg::PlacePagesOnSize(UINT type) {
    // A minimised launcher keeps its pages at their size.
    if (type == SIZE_MINIMIZED)
        return;
    if (HWND hall = LiveHall(); hall && m_slots.HallShown())
        PlaceInPageArea(hall);
    else if (!m_slots.Empty())
        PlaceInPageArea(CurrentPage());
}

void CKelvor3Dlg::OnSize(int width) {
    if (width != LastWidth && m_btnHide.hwnd()) {
        for (const launcher::TitleControlPlace& place : launcher::TitleStripLayout(width)) {
            HWND control = ::GetDlgItem(hwnd(), place.id);
            if (!control)
                continue;
            ::MoveWindow(control, place.box.x, place.box.y, place.box.w, place.box.h, TRUE);
            ::InvalidateRect(control, nullptr, TRUE);
        }
        InvalidateSystemButtons();
    }

    if (m_osVersion.dwMajorVersion < 6 && width < LastWidth) {
        // Older systems leave a trace of the old top-right corner on the desktop.
        RECT r = {};
        ::GetWindowRect(hwnd(), &r);
        r.left = r.right - 4;
        r.bottom = r.top + 4;
        ::RedrawWindow(::GetDesktopWindow(), &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    LastWidth = width;
}

bool CKelvor3Dlg::ClampWindowSize(WINDOWPOS* pos) {
    if (!pos || (pos->flags & SWP_NOSIZE))
        return false;
    const launcher::SizeClamp clamp = launcher::ClampWindowSize(m_slots.PageCount(), pos->cx, pos->cy);
    if (!clamp.adjust)
        return false;
    pos->cx = clamp.width;
    pos->cy = clamp.height;
    return true;
}

void CKelvor3Dlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerSound: {
        for (launcher::WindowId page : m_slots.Pages())
            ::PostMessageW(ToHwnd(page), kMsgSoundState, static_cast<WPARAM>(m_bMuted), 0);
        if (m_bMuted != LastSoundImage) {
            LastSoundImage = m_bMuted;
            if (m_btnSound.hwnd()) {
                m_btnSound.SetImage(m_bMuted == 1 ? m_bmpSoundOff.get() : m_bmpSoundOn.get(), false);
                ::InvalidateRect(m_btnSound.hwnd(), nullptr, TRUE);
            }
        }
        const int hallShown = m_slots.HallShown() ? 1 : 0;
        if (m_bHallShown != hallShown) {
            m_bHallShown = hallShown;
            if (m_btnHall.hwnd()) {
                m_btnHall.SetImage(m_bHallShown ? m_bmpHallShown.get() : m_bmpHallHidden.get(), false);
                ::InvalidateRect(m_btnHall.hwnd(), nullptr, TRUE);
            }
        }
        break;
    }
    case kTimerNotice:
        KillTimer(kTimerNotice);
        ShowNoticePopup();
        break;
    case kTimerClearCache:
        KillTimer(kTimerClearCache);
        StartCacheClearing();
        break;
    case kTimerPendingWatch:
        CheckPendingProcess();
        break;
    }
}

void CKelvor3Dlg::CheckPendingProcess() {
    if (!m_hPendingProcess) {
        KillTimer(kTimerPendingWatch);
        return;
    }
    if (::WaitForSingleObject(m_hPendingProcess.get(), 0) != WAIT_OBJECT_0) {
        SetTimer(kTimerPendingWatch, kPendingWatchMs);  // back to the normal pace after a quick look
        return;
    }
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
    KillTimer(kTimerPendingWatch);
    m_slots.DropUnadoptedLabels();
    if (m_slots.Empty() && (abandoned || !m_slots.AnyArrived()))
        ExitLauncher();
}

void CKelvor3Dlg::OnPaint() {
    if (!::IsIconic(hwnd())) {
        Default();
        return;
    }
    gdi::PaintDC dc(hwnd());
    ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    RECT client = {};
    ::GetClientRect(hwnd(), &client);
    ::DrawIcon(dc.get(), (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, m_hIcon);
}

launcher::LauncherState CKelvor3Dlg::InputState() const {
    launcher::LauncherState state;
    state.pages = m_slots.PageCount();
    state.pendingProcess = static_cast<bool>(m_hPendingProcess);
    state.pageShown = !m_slots.Empty() && !m_slots.HallShown();
    state.hallShown = m_slots.HallShown() && HallWindow() && ::IsWindow(HallWindow());
    state.switchKey = SwitchHotkey;
    return state;
}

bool CKelvor3Dlg::ApplyInputAction(launcher::LauncherAction action, const MSG& msg) {
    switch (action) {
    case launcher::LauncherAction::SwitchPage:
        SwitchToNextPage();
        return true;
    case launcher::LauncherAction::Swallow:
        return true;
    case launcher::LauncherAction::Exit:
        ExitLauncher();
        return true;
    case launcher::LauncherAction::CheckPending:
        // The page posts this and then ends: look again shortly.
        m_bPendingAbandoned = true;
        SetTimer(kTimerPendingWatch, kPendingAbandonCheckMs);
        return true;
    case launcher::LauncherAction::ForwardToPage:
        ::PostMessageW(CurrentPage(), msg.message, msg.wParam, msg.lParam);
        return true;
    case launcher::LauncherAction::ForwardToHall:
        ::PostMessageW(HallWindow(), msg.message, msg.wParam, msg.lParam);
        return true;
    case launcher::LauncherAction::RestoreThenPassOn:
        ::ShowWindow(hwnd(), SW_RESTORE);
        return false;
    case launcher::LauncherAction::PassOn:
        return false;
    }
    return false;
}

bool CKelvor3Dlg::HandleCloseRequest(WPARAM command, LPARAM lParam) {
    const MSG msg{hwnd(), WM_SYSCOMMAND, command, lParam, 0, {}};
    return ApplyInputAction(launcher::DecideLauncherMessage({WM_SYSCOMMAND, command, lParam, 0}, InputState()), msg);
}

bool CKelvor3Dlg::PreTranslateMessage(MSG& msg) {
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const InputMessage message{msg.message, msg.wParam, msg.lParam, key ? CurrentModifiers() : 0};
    if (ApplyInputAction(launcher::DecideLauncherMessage(message, InputState()), msg))
        return true;
    m_tabStrip.RelayEvent(msg);
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CKelvor3Dlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT tabResult = 0;
    if (HandleTabStripMessage(msg, wParam, lParam, tabResult))
        return tabResult;

    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_SIZE: {
        PlacePagesOnSize(static_cast<UINT>(wParam));
        const LRESULT result = CDlgEx::WindowProc(msg, wParam, lParam);  // the frame's own handling
        OnSize(LOWORD(lParam));
        return result;
    }
    case WM_WINDOWPOSCHANGING:
        if (ClampWindowSize(reinterpret_cast<WINDOWPOS*>(lParam)))
            return 0;
        break;
    case WM_COPYDATA:
        return ClaimLabel(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_USER + 1:
        OnTrayNotify(wParam, lParam);
        return 0;
    case kMsgAdoptFrame:
        return AdoptWindow(reinterpret_cast<HWND>(wParam), lParam != 0);
    case WM_USER + 3:
        ShowTrayMenu();
        return 0;
    case kMsgHotkeysChanged:
        LoadHotkeys();
        return 0;
    case kMsgHookHideToggle:
        RunPendingHideToggles();
        return 0;
    case kMsgOtherAccount:
        RequestOtherAccount(wParam);
        return 0;
    case WM_SYSCOMMAND:
        // Normally decided before dispatch; this catches a close request that
        // arrived while a nested loop (a message box, a menu) was pumping.
        if ((wParam & 0xFFF0) == SC_CLOSE && HandleCloseRequest(wParam, lParam))
            return 0;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {  // STN_CLICKED of the link is 0 as well
            switch (LOWORD(wParam)) {
            case IDC_BTN_HIDE: ToggleHideAll(); return 0;
            case IDC_BTN_SOUND: m_bMuted = m_bMuted ? 0 : 1; return 0;
            case IDC_BTN_MENU: ShowSystemMenu(); return 0;
            case IDC_BTN_HALL: ToggleGameHall(); return 0;
            case IDC_LNK_OTHER_ACCOUNT: ShowOtherAccountPrompt(); return 0;
            }
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return Default();
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn
