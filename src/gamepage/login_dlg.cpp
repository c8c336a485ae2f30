#include "gamepage/login_dlg.h"

#include <utility>

#include "browser/dhtml_rules.h"
#include "common/newer_windows.h"
#include "common/page_token.h"
#include "common/portal.h"
#include "common/windows_version.h"
#include "framework/placement.h"
#include "framework/start_marks.h"
#include "gamepage/external_login_rules.h"
#include "gamepage/game_page_process.h"
#include "gamepage/login_bk_dlg.h"
#include "gamepage/login_commands.h"
#include "gamepage/page_messages.h"
#include "process/process.h"
#include "res/resource.h"
#include "skin/message_box.h"

namespace ovn {

using namespace gamepage;

namespace {

// A timer's message comes only once nothing is left to paint: it fires after
// the page's first paint however long that takes.
constexpr UINT_PTR kTimerLoginPainted = 1;

}  // namespace

bool UserAccountControlEnabled() {
    const unsigned major = WindowsMajorVersion();
    std::optional<std::uint32_t> enableLua;
    if (auto value = ReadRegistryDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                       L"EnableLUA"))
        enableLua = *value;
    return major != 0 && UserAccountControlOn(major, enableLua);
}

CLoginDlg::CLoginDlg(std::wstring pageUrl)
    : browser::CDHtmDlgEx(IDD_PAGE_POPUP), m_strPageUrl(std::move(pageUrl)) {}

CLoginDlg::~CLoginDlg() {
    m_pExternalLogin.reset();  // owned by this window: gone before it
    if (hwnd())
        Destroy();
}

bool CLoginDlg::OnInitDialog() {
    browser::CDHtmDlgEx::OnInitDialog();
    if (browser::WebView* view = View())
        view->SetSilent(true);
    fw::ChangeExStyle(hwnd(), WS_EX_LAYERED);
    // Every pixel of exactly the page's background colour lets the artwork through.
    ::SetLayeredWindowAttributes(hwnd(), kLoginPageKeyColour, 0, LWA_COLORKEY);
    fw::ChangeExStyle(hwnd(), WS_EX_TOOLWINDOW, WS_EX_APPWINDOW);
    Navigate(m_strPageUrl);
    return false;  // hidden until its page has come
}

bool CLoginDlg::PreTranslateMessage(MSG& msg) {
    // Escape does not close the login, F5 does not reload it.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_F5))
        return true;
    return browser::CDHtmDlgEx::PreTranslateMessage(msg);
}

LRESULT CLoginDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsgRunQueued) {
        RunQueued();
        return 0;
    }
    if (msg == WM_TIMER && wParam == kTimerLoginPainted) {
        KillTimer(kTimerLoginPainted);
        TellLauncherLoginShown();
        return 0;
    }
    return browser::CDHtmDlgEx::WindowProc(msg, wParam, lParam);
}

void CLoginDlg::OnNavigateComplete(const std::wstring& url) {
    browser::CDHtmDlgEx::OnNavigateComplete(url);
    ::ShowWindow(hwnd(), SW_SHOW);
    fw::RecordStartMark(fw::StartMark::LoginShown);
    if (HWND view = ::GetWindow(hwnd(), GW_CHILD)) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        ::MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
    }
    if (!m_bLauncherTold)
        SetTimer(kTimerLoginPainted, USER_TIMER_MINIMUM);
}

void CLoginDlg::TellLauncherLoginShown() {
    if (m_bLauncherTold)
        return;
    m_bLauncherTold = true;
    ::PostMessageW(LauncherWnd, kMsgLoginShown, TokenWordLow(PageSecret), TokenWordHigh(PageSecret));
}

bool CLoginDlg::OnPageEvent(browser::PageEvent event, const std::shared_ptr<browser::PageElement>& source) {
    if (!source)
        return false;
    POINT client{};
    ::GetCursorPos(&client);
    ::ScreenToClient(hwnd(), &client);
    const browser::PageAction action = browser::LoginPageAction(event, source->TagName(), client.x, client.y);
    if (action == browser::PageAction::None)
        return false;
    // Dragging the page drags the artwork, and the artwork carries the page.
    SendDrag(Background(), action);
    return true;
}

void CLoginDlg::OnBeforeNavigate(const std::wstring& url, bool& cancel) {
    switch (ClassifyLoginNavigation(url)) {
    case LoginNavigation::Proceed:
        browser::CDHtmDlgEx::OnBeforeNavigate(url, cancel);
        return;
    case LoginNavigation::Command:
    case LoginNavigation::ExternalLogin:
        cancel = true;
        m_queued.push_back(url);
        ::PostMessageW(hwnd(), kMsgRunQueued, 0, 0);
        return;
    }
}

void CLoginDlg::RunQueued() {
    // A message box shown by a command pumps messages: what the page asks for
    // meanwhile waits for the loop below, not a second one inside it.
    if (m_bRunning)
        return;
    m_bRunning = true;
    while (!m_queued.empty() && !m_bEnded) {
        const std::wstring url = std::move(m_queued.front());
        m_queued.pop_front();
        if (ClassifyLoginNavigation(url) == LoginNavigation::Command)
            RunCommand(url);
        else
            StartExternalLogin(url);
    }
    m_bRunning = false;
}

void CLoginDlg::RunCommand(const std::wstring& url) {
    switch (ReadLoginCommand(url)) {
    case LoginCommand::LoadGame: LoadGame(url); return;
    case LoginCommand::ExitGame: EndLogin(IDCANCEL); return;
    case LoginCommand::Minimize: Minimize(); return;
    case LoginCommand::Other: return;  // only the cancellation
    }
}

void CLoginDlg::LoadGame(const std::wstring& url) {
    const auto command = ParseLoadGame(url);
    if (!command)
        return;  // an account text we cannot take: no claim is made for it
    fw::RecordStartMark(fw::StartMark::GameChosen);
    // The label goes with this page's token: the launcher takes no other claim.
    const std::wstring claim = ClaimText(PageSecret, command->record.Text());
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>((claim.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(claim.c_str());
    const LRESULT accepted = ::SendMessageW(LauncherWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd()),
                                                reinterpret_cast<LPARAM>(&data));
    if (!accepted) {
        m_bEnded = true;  // nothing the page asks for while the message shows counts any more
        m_queued.clear();
        skin::ShowMessageBox(0, L"QuenraOrvane", DuplicateLoginMessage(command->record).c_str(), nullptr);
        EndLogin(IDCANCEL);
        return;
    }
    State().StartUrl = command->gameUrl;
    EndLogin(IDOK);
}

void CLoginDlg::Minimize() {
    switch (DecideMinimize(PagesBefore, UserAccountControlEnabled())) {
    case MinimizeAction::EndLogin: EndLogin(IDCANCEL); return;
    case MinimizeAction::MinimizeBackground: ::ShowWindow(Background(), SW_MINIMIZE); return;
    case MinimizeAction::MinimizeLauncher: ::ShowWindow(LauncherWnd, SW_MINIMIZE); return;
    }
}

void CLoginDlg::StartExternalLogin(const std::wstring& url) {
    const auto request = ExternalLoginFor(url);
    if (!request || !request->addressOpenable)
        return;
    m_pExternalLogin.reset();  // one external login at a time: the new one replaces it
    auto login = std::make_unique<CQQLogin>();
    login->m_html.m_strAddress = request->address;
    if (!login->CreateModeless(hwnd()))
        return;
    login->SetCaptionText(std::wstring(ExternalLoginCaption(request->kind)).c_str());
    ::ShowWindow(login->hwnd(), SW_SHOW);
    // Centred on the screen, not over the page.
    RECT r{};
    ::GetWindowRect(login->hwnd(), &r);
    const RECT wa = fw::WorkArea();
    const fw::Origin at = fw::CentredOrigin(r.right - r.left, r.bottom - r.top, nullptr,
                                            fw::Area{wa.left, wa.top, wa.right, wa.bottom});
    ::SetWindowPos(login->hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m_pExternalLogin = std::move(login);
}

void CLoginDlg::EndLogin(int result) {
    m_bEnded = true;
    m_queued.clear();
    if (auto* owner = dynamic_cast<fw::Dialog*>(fw::Window::FromHandle(Background())))
        owner->EndDialog(result);
}

namespace gamepage {

int RunLogin(HWND launcher) {
    CLoginDlg page(portal::LoginPageUrl());
    CLoginBkDlg background(launcher, page);
    return static_cast<int>(background.DoModal());
}

}  // namespace gamepage

}  // namespace ovn
