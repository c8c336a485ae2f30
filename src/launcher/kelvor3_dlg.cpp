#include "launcher/kelvor3_dlg.h"

#include <algorithm>

#include "skin/message_box.h"
#include "common/log.h"
#include "common/page_hosting.h"
#include "common/windows_version.h"
#include "process/process.h"
#include "common/protocol.h"
#include "launcher/launcher_input.h"
#include "launcher/launcher_layout.h"
#include "launcher/tab_strip.h"
#include "launcher/title_texts.h"
#include "skin/skin_image.h"

#include "res/skin_ids.h"
#include "framework/gdi_handles.h"
#include "framework/start_marks.h"

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

}  // namespace

CKelvor3Dlg::CKelvor3Dlg() : skin::CDlgEx(IDD_KELVOR3_DIALOG) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    TheLauncher = this;
}

CKelvor3Dlg::~CKelvor3Dlg() {
    // A clearing or an update check still running stops before the window it reports to goes.
    m_cacheWorker.Cancel();
    m_updateWorker.Cancel();
    // Gone before the members it paints with.
    if (hwnd())
        Destroy();
    if (TheLauncher == this) {
        RemoveKeyboardHook();  // a window that never exited leaves no hook behind
        TheLauncher = nullptr;
    }
}

void CKelvor3Dlg::CreateTitleControls() {
    // Not in the dialog's template: a button the dialog manager makes loads the common
    // controls' library, and the page process should be on its way before that.
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const LPARAM font = ::SendMessageW(hwnd(), WM_GETFONT, 0, 0);
    for (const launcher::TitleControlPlace& place : launcher::TitleStripLayout(client.right, Scale())) {
        const bool link = place.id == IDC_LNK_OTHER_ACCOUNT;
        const wchar_t* text = link ? launcher::kTextOtherAccount : place.id == IDC_BTN_MENU ? launcher::kTextSystemMenu : L"";
        const DWORD style = WS_CHILD | WS_VISIBLE | (link ? SS_LEFT | SS_NOTIFY | WS_GROUP : BS_PUSHBUTTON | WS_TABSTOP);
        HWND control = ::CreateWindowExW(WS_EX_NOPARENTNOTIFY, link ? L"STATIC" : L"BUTTON", text, style,
                                         place.box.x, place.box.y, place.box.w, place.box.h, hwnd(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)),
                                         ::GetModuleHandleW(nullptr), nullptr);
        if (control && font)
            ::SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
}

void CKelvor3Dlg::DoDataExchange() {
    m_btnHide.SubclassDlgItem(IDC_BTN_HIDE, hwnd());
    m_btnSound.SubclassDlgItem(IDC_BTN_SOUND, hwnd());
    m_btnMenu.SubclassDlgItem(IDC_BTN_MENU, hwnd());
    m_btnHall.SubclassDlgItem(IDC_BTN_HALL, hwnd());
    m_lnkOtherAccount.SubclassDlgItem(IDC_LNK_OTHER_ACCOUNT, hwnd());
    // Image buttons: their pictures say nothing to a screen reader.
    m_btnHide.SetAccessibleName(launcher::kTextHideRestore);
    m_btnSound.SetAccessibleName(launcher::kTextMute);
    m_btnHall.SetAccessibleName(launcher::kTextGameHall);
}

bool CKelvor3Dlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    fw::RecordStartMark(fw::StartMark::LauncherWindow);
    m_processes.Attach(hwnd());
    // Owned pages are other processes' windows that Wine may bring over the
    // launcher's own questions (an activation of theirs lands late): those stay
    // in front while they are up.
    fw::Dialog::SetModalsTopmost(PageHostingHere() == PageHosting::Owned);
    // Before any page starts: a page acts only on a window that bears this.
    MarkAsLauncherWindow(hwnd());
    TrayIcon::AcceptTaskbarCreated(hwnd());

    // The page process starts first: its login is what the player waits for, and
    // this window stays out of sight until then. Its controls load meanwhile;
    // its skin once the login is painted (EnsureSkin).
    StartGamePage();
    CreateTitleControls();
    DoDataExchange();

    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    InstallKeyboardHook();
    m_windowsMajor = WindowsMajorVersion();
    SetUpFrame();
    LoadHotkeys();
    return true;
}

void CKelvor3Dlg::SetUpFrame() {
    HWND h = hwnd();
    fw::ChangeStyle(h, WS_CLIPCHILDREN);

    SetCaptionText(kCaption);
    SetFrameSpacing({});
    m_nTitleWeight = 600;
    m_bResizable = true;

    // Out of sight until the first page arrives; the skin comes later (EnsureSkin).
    ::SetWindowPos(h, nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKelvor3Dlg::OnLoginShown(WPARAM wParam, LPARAM lParam) {
    // Anybody can post this; only the page we started (it carries its token)
    // may bring the skin forward.
    if (!m_processes.IsPendingPageWord(wParam, lParam))
        return;
    EnsureSkin();
}

void CKelvor3Dlg::EnsureSkin() {
    if (m_bSkinLoaded)
        return;
    m_bSkinLoaded = true;
    LoadSkins();
    m_tabStrip.SetScale(Scale());
    m_tabStrip.SetUp(hwnd(), *this);
    fw::RecordStartMark(fw::StartMark::Skins);
}

void CKelvor3Dlg::OnScaleChanged() {
    m_tabStrip.SetScale(Scale());
    if (m_bSkinLoaded)
        LoadSkins();
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    LastWidth = -1;  // every title-strip control moves
    OnSize(client.right);
    m_processes.PlaceOnSize(SIZE_RESTORED);
}

void CKelvor3Dlg::LoadSkins() {

    // The close and minimise strips are copied into their buttons and stay ours.
    gdi::Bitmap close = skin::LoadSkinImage(IDB_BTN_CLOSE, Scale());
    gdi::Bitmap minimize = skin::LoadSkinImage(IDB_BTN_MIN, Scale());
    SetSkin(skin::LoadSkinImage(IDB_MAIN_FRAME, Scale()), false, true, minimize.get(), skin::LoadSkinImage(IDB_BTN_MAX, Scale()),
            skin::LoadSkinImage(IDB_BTN_RESTORE, Scale()), close.get());

    m_bmpHide = skin::LoadSkinImage(IDB_BTN_HIDE, Scale());
    m_bmpMenu = skin::LoadSkinImage(IDB_BTN_MENU, Scale());
    m_bmpSoundOn = skin::LoadSkinImage(IDB_BTN_SOUND_ON, Scale());
    m_bmpSoundOff = skin::LoadSkinImage(IDB_BTN_SOUND_OFF, Scale());
    m_bmpHallHidden = skin::LoadSkinImage(IDB_BTN_HALL_HIDDEN, Scale());
    m_bmpHallShown = skin::LoadSkinImage(IDB_BTN_HALL_SHOWN, Scale());
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
        gdi::Bitmap image = skin::LoadSkinImage(IDB_LINK_ACCOUNT, Scale());  // copied into the link
        m_lnkOtherAccount.SetImage(image.get());
        m_lnkOtherAccount.m_crText = RGB(255, 255, 255);
        m_lnkOtherAccount.m_bLink = true;
        m_lnkOtherAccount.m_bUnderline = true;
        // Its clicks reach us as WM_COMMAND.
        fw::ChangeStyle(link, SS_NOTIFY);
    }
}

void CKelvor3Dlg::StartGamePage() { m_processes.StartGamePage(); }

void CKelvor3Dlg::CutFromShape(HRGN shape) {
    // Owned pages are windows of their own over the page area. Wine does not
    // always keep them over the launcher when it is raised; with the page area
    // out of the launcher's shape the page shown is seen (and clicked) all the
    // same.
    if (PageHostingHere() != PageHosting::Owned || Slots().Empty())
        return;
    RECT client{}, window{};
    POINT origin{};
    if (!::GetClientRect(hwnd(), &client) || !::ClientToScreen(hwnd(), &origin) || !::GetWindowRect(hwnd(), &window))
        return;
    const Box area = PageArea(client.right, client.bottom, Scale());
    const int x = area.x + origin.x - window.left, y = area.y + origin.y - window.top;
    gdi::Region hole(::CreateRectRgn(x, y, x + area.w, y + area.h));
    if (hole)
        ::CombineRgn(shape, shape, hole.get(), RGN_DIFF);
}

void CKelvor3Dlg::OnFirstArrival() {
    // The launcher comes into sight over the work area, in its skin (loaded
    // here if the page arrived without saying its login was shown).
    EnsureSkin();
    UpdateWindowRegion();
    ToggleMaximize();
    // The icon comes once the launcher has painted: the system takes a while to
    // add it, and the page and the frame around it are what the player waits for.
    SetTimer(kTimerTrayIcon, USER_TIMER_MINIMUM);
    SetTimer(kTimerSound, 400);
    SetTimer(kTimerNotice, kNoticeDelayMs);
}

LRESULT CKelvor3Dlg::AdoptWindow(HWND window, bool isHall) {
    if (m_processes.AdoptWindow(window, isHall) == PageProcesses::Arrival::Page) {
        const launcher::Span strip = launcher::TabStripRect(Slots().PageCount(), Scale());
        InvalidateSpan(strip.left, strip.top, strip.right, strip.bottom);
        m_tabStrip.Changed();
    }
    return 0;
}

void CKelvor3Dlg::InvalidateSpan(int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    ::InvalidateRect(hwnd(), &r, TRUE);
}

void CKelvor3Dlg::ShowPage(HWND page) {
    m_processes.ShowPage(page);
    m_tabStrip.Changed();
}

void CKelvor3Dlg::SwitchToNextPage() {
    const launcher::PageSlots& slots = Slots();
    if (slots.Empty() || !::IsWindowVisible(hwnd()) || ::IsIconic(hwnd()))
        return;
    if (slots.PageCount() >= 2 && !slots.HallShown()) {
        launcher::Span old = launcher::TabRect(slots.Selected(), Scale());
        InvalidateSpan(old.left, old.top, old.right, old.bottom);
        m_processes.ShowNextPage();
        launcher::Span now = launcher::TabRect(slots.Selected(), Scale());
        InvalidateSpan(now.left, now.top, now.right, now.bottom);
        m_tabStrip.Changed();
        return;
    }
    ShowPage(CurrentPage());
}

void CKelvor3Dlg::ClosePage(int index) {
    const launcher::PageSlots& slots = Slots();
    if (slots.PageCount() < 2) {
        m_tabStrip.ForgetHover();
        if (index >= 0) {
            launcher::Span box = launcher::TabCloseBoxRect(static_cast<int>(index), Scale());
            InvalidateSpan(box.left, box.top, box.right, box.bottom);
        }
        OnCancel();  // the last tab closes the launcher, with its question
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= slots.PageCount())
        return;

    const launcher::WindowId window = slots.Pages()[static_cast<std::size_t>(index)];
    std::wstring question = L"确定要退出账号：" + slots.LabelOf(static_cast<std::size_t>(index)) + L" ?";
    const bool yes = skin::ShowMessageBox(4, kCaption, question.c_str(), hwnd()) == IDYES;

    // The question is modal: tabs may have come or gone meanwhile.
    auto it = std::find(slots.Pages().begin(), slots.Pages().end(), window);
    if (it == slots.Pages().end())
        return;
    const std::size_t at = static_cast<std::size_t>(it - slots.Pages().begin());
    if (!yes) {
        launcher::Span tab = launcher::TabRect(at, Scale());
        InvalidateSpan(tab.left, tab.top, tab.right, tab.bottom);
        m_tabStrip.ForgetHover();
        return;
    }
    m_processes.ClosePage(at);
    launcher::Span strip = launcher::TabStripAfterCloseRect(slots.PageCount(), Scale());
    InvalidateSpan(strip.left, strip.top, strip.right, strip.bottom);
    m_tabStrip.ForgetHover();
    m_tabStrip.Changed();
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
    RemoveKeyboardHook();
    m_processes.CloseAll();
    KillTimer(kTimerSound);
    SetTrayIcon(false);
    ::PostQuitMessage(0);
}

void CKelvor3Dlg::RequestOtherAccount(WPARAM newTab) {
    if (newTab == 1) {
        switch (m_processes.RequestPage()) {
        case launcher::PageRequest::Full:
            skin::ShowMessageBox(0, kCaption, L"当前窗体只支持3个游戏页", hwnd());
            break;
        case launcher::PageRequest::Busy:
            LogFailure(L"another tab refused: a page is still logging in", 0);
            break;  // one login at a time: the pending page is still on screen
        case launcher::PageRequest::Start:
            break;  // started
        }
    } else if (newTab == 0) {
        StartProgramWithArguments(ChildProgram(), {});  // a new launcher window
    }
}

void CKelvor3Dlg::ShowOtherAccountPrompt() {
    if (!m_addAccDlg.EnsureCreated(hwnd()))
        return;
    RECT link{};
    ::GetWindowRect(::GetDlgItem(hwnd(), IDC_LNK_OTHER_ACCOUNT), &link);
    m_addAccDlg.DropUnder(link);
}

void CKelvor3Dlg::ToggleGameHall() { m_processes.ToggleGameHall(); }

void CKelvor3Dlg::OnSize(int width) {
    if (width != LastWidth && m_btnHide.hwnd()) {
        for (const launcher::TitleControlPlace& place : launcher::TitleStripLayout(width, Scale())) {
            HWND control = ::GetDlgItem(hwnd(), place.id);
            if (!control)
                continue;
            ::MoveWindow(control, place.box.x, place.box.y, place.box.w, place.box.h, TRUE);
            ::InvalidateRect(control, nullptr, TRUE);
        }
        InvalidateSystemButtons();
    }

    if (m_windowsMajor < 6 && width < LastWidth) {
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
    const launcher::SizeClamp clamp = launcher::ClampWindowSize(Slots().PageCount(), pos->cx, pos->cy, Scale());
    if (!clamp.adjust)
        return false;
    pos->cx = clamp.width;
    pos->cy = clamp.height;
    return true;
}

void CKelvor3Dlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerSound: {
        m_processes.PostToPages(kMsgSoundState, static_cast<WPARAM>(m_bMuted), 0, false);
        if (m_bMuted != LastSoundImage) {
            LastSoundImage = m_bMuted;
            if (m_btnSound.hwnd()) {
                m_btnSound.SetImage(m_bMuted == 1 ? m_bmpSoundOff.get() : m_bmpSoundOn.get(), false);
                m_btnSound.SetAccessiblePressed(m_bMuted == 1);  // the sound key's change too
                ::InvalidateRect(m_btnSound.hwnd(), nullptr, TRUE);
            }
        }
        const int hallShown = m_processes.HallShown() ? 1 : 0;
        if (m_bHallShown != hallShown) {
            m_bHallShown = hallShown;
            if (m_btnHall.hwnd()) {
                m_btnHall.SetImage(m_bHallShown ? m_bmpHallShown.get() : m_bmpHallHidden.get(), false);
                m_btnHall.SetAccessiblePressed(m_bHallShown == 1);
                ::InvalidateRect(m_btnHall.hwnd(), nullptr, TRUE);
            }
        }
        break;
    }
    case kTimerTrayIcon:
        KillTimer(kTimerTrayIcon);
        if (!m_bExiting)
            SetTrayIcon(true);
        break;
    case kTimerNotice:
        KillTimer(kTimerNotice);
        ShowNoticePopup();
        break;
    case kTimerClearCache:
        KillTimer(kTimerClearCache);
        StartCacheClearing();
        break;
    case kTimerPendingWatch:
        m_processes.CheckPendingProcess();
        break;
    case kTimerPageKeyboard:
        m_processes.CheckPageKeyboard();
        break;
    }
}

void CKelvor3Dlg::OnPaint() {
    if (!::IsIconic(hwnd())) {
        Default();
        if (!Slots().Empty())
            fw::RecordStartMark(fw::StartMark::FirstTabPainted);  // the first time only
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
    const launcher::PageSlots& slots = Slots();
    state.pages = slots.PageCount();
    state.pendingProcess = PendingProcess() != nullptr;
    state.pageShown = !slots.Empty() && !slots.HallShown();
    state.hallShown = slots.HallShown() && HallWindow() && ::IsWindow(HallWindow());
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
        m_processes.NoteAbandonNotice();
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
    if (msg != 0 && msg == TrayIcon::TaskbarCreatedMessage()) {
        m_trayIcon.OnTaskbarCreated();  // a new taskbar has no icons: ours is added again
        return 0;
    }
    LRESULT tabResult = 0;
    if (HandleTabStripMessage(msg, wParam, lParam, tabResult))
        return tabResult;
    if (HandleMenuMessage(msg, wParam, lParam) || HandleWorkerMessage(msg))
        return 0;

    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_SIZE: {
        m_processes.PlaceOnSize(static_cast<UINT>(wParam));
        const LRESULT result = CDlgEx::WindowProc(msg, wParam, lParam);  // the frame's own handling
        OnSize(LOWORD(lParam));
        return result;
    }
    case WM_WINDOWPOSCHANGING:
        if (ClampWindowSize(reinterpret_cast<WINDOWPOS*>(lParam)))
            return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = CDlgEx::WindowProc(msg, wParam, lParam);  // WM_SIZE and WM_MOVE
        const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
        constexpr UINT kUnmoved = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
        if ((flags & kUnmoved) != kUnmoved || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)))
            m_processes.FollowLauncher((flags & SWP_NOZORDER) == 0);
        return result;
    }
    case WM_ENABLE:
        m_processes.FollowEnabled(wParam != 0);
        break;
    case WM_COPYDATA:
        return m_processes.ClaimLabel(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kMsgAdoptFrame:
        return AdoptWindow(reinterpret_cast<HWND>(wParam), lParam != 0);
    case kMsgLoginShown:
        OnLoginShown(wParam, lParam);
        return 0;
    case kMsgHotkeysChanged:
        LoadHotkeys();
        return 0;
    case kMsgHookHideToggle:
        RunPendingHideToggles();
        return 0;
    case kMsgOtherAccount:
        // Its word is not taken from the message: a new window is a new process,
        // and a stranger's flood of these would be a flood of processes.
        if (auto answer = m_addAccDlg.TakeAnswer())
            RequestOtherAccount(*answer);
        return 0;
    case WM_SYSCOMMAND:
        // Normally decided before dispatch; this catches a close request that
        // arrived while a nested loop (a message box, a menu) was pumping.
        if ((wParam & 0xFFF0) == SC_CLOSE && HandleCloseRequest(wParam, lParam))
            return 0;
        break;
    case WM_COMMAND:
        // STN_CLICKED of the link is 0 as well. An owner-drawn button tells a
        // quick second click as a double click: it is a second click all the same.
        if (HIWORD(wParam) == BN_CLICKED || (HIWORD(wParam) == BN_DOUBLECLICKED && LOWORD(wParam) != IDC_LNK_OTHER_ACCOUNT)) {
            if (!launcher::TitleCommandAllowed(LOWORD(wParam), Slots().AnyArrived()))
                return 0;
            switch (LOWORD(wParam)) {
            case IDC_BTN_HIDE: ToggleHideAll(); return 0;
            case IDC_BTN_SOUND:
                m_bMuted = m_bMuted ? 0 : 1;
                m_btnSound.SetAccessiblePressed(m_bMuted == 1);
                return 0;
            case IDC_BTN_MENU: ::PostMessageW(hwnd(), kMsgShowSystemMenu, 0, 0); return 0;
            case IDC_BTN_HALL: ToggleGameHall(); return 0;
            case IDC_LNK_OTHER_ACCOUNT: ShowOtherAccountPrompt(); return 0;
            }
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return Default();
    case WM_DESTROY:
        UnmarkLauncherWindow(hwnd());
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

void CKelvor3Dlg::PaintOverFrame(HDC dc, int, int) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    m_tabStrip.Paint(dc, font, Slots().PageCount(), Slots().Labels(), static_cast<int>(Slots().Selected()));
}

}  // namespace ovn
