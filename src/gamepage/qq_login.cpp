#include "gamepage/qq_login.h"

#include <wininet.h>

#include <string_view>
#include <vector>

#include "gamepage/external_login_rules.h"
#include "gamepage/page_messages.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn {

using namespace gamepage;

namespace {

// The top-level windows of this process of a class (and, when owner is given,
// owned by it). Another program's dialogs are not ours to close, whatever their
// class.
std::vector<HWND> OwnWindowsOfClass(std::wstring_view className, HWND owner = nullptr) {
    struct Search {
        std::wstring_view className;
        HWND owner;
        std::vector<HWND> found;
    } search{className, owner, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            if (pid != ::GetCurrentProcessId() || (s->owner && ::GetWindow(window, GW_OWNER) != s->owner))
                return TRUE;
            wchar_t name[64] = {};
            const int n = ::GetClassNameW(window, name, 64);
            if (n > 0 && std::wstring_view(name, static_cast<std::size_t>(n)) == s->className)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// ---- The provider's pages ----------------------------------------------------

CQQHtml::CQQHtml() : browser::CDHtmlDialog(IDD_PAGE_POPUP) {}

CQQHtml::~CQQHtml() = default;

bool CQQHtml::OnInitDialog() {
    browser::CDHtmlDialog::OnInitDialog();
    SetTimer(kTimerCloseScriptDialogs, kCloseScriptDialogsMs);
    return true;
}

bool CQQHtml::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE))
        return true;
    return browser::CDHtmlDialog::PreTranslateMessage(msg);
}

LRESULT CQQHtml::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW: {
        const LRESULT r = browser::CDHtmlDialog::WindowProc(msg, wParam, lParam);
        Navigate(m_strAddress);
        return r;
    }
    case WM_TIMER: {
        const LRESULT r = browser::CDHtmlDialog::WindowProc(msg, wParam, lParam);
        OnTimer(wParam);
        return r;
    }
    }
    return browser::CDHtmlDialog::WindowProc(msg, wParam, lParam);
}

void CQQHtml::OnBeforeNavigate(const std::wstring& url, bool& cancel) {
    // The provider's authorisation page is for the player's eyes only.
    if (CancelExternalNavigation(url, ::IsWindowVisible(hwnd()) != FALSE))
        cancel = true;
}

bool CQQHtml::LoginCookieSet(const std::wstring& url) const {
    wchar_t cookie[256] = {};
    DWORD size = 256;
    if (!::InternetGetCookieW(url.c_str(), std::wstring(kLoginCookieName).c_str(), cookie, &size))
        return false;
    cookie[255] = L'\0';
    return ExternalLoginFinished(url, cookie);
}

void CQQHtml::OnNavigateComplete(const std::wstring& url) {
    if (WatchedAddressOf(url) == WatchedAddress::None || !LoginCookieSet(url)) {
        browser::CDHtmlDialog::OnNavigateComplete(url);
        return;
    }
    // The portal has logged the player in: both windows go out of sight, and a
    // message box the closing page may raise is removed as soon as it shows.
    ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
    if (HWND frame = ::GetWindow(hwnd(), GW_OWNER))
        ::ShowWindow(frame, SW_HIDE);
    SetTimer(kTimerRemovePageBox, kRemovePageBoxMs);
}

void CQQHtml::OnTimer(UINT_PTR id) {
    if (id == kTimerCloseScriptDialogs) {
        // A dialog a page script of this process opened never stays.
        for (HWND dialog : OwnWindowsOfClass(kScriptDialogClass))
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        return;
    }
    if (id == kTimerRemovePageBox) {
        // The message box the closing page raises, once it shows.
        const std::vector<HWND> boxes = OwnWindowsOfClass(kMessageBoxClass, hwnd());
        if (!boxes.empty()) {
            KillTimer(kTimerRemovePageBox);
            for (HWND box : boxes)
                ::DestroyWindow(box);
        }
    }
}

// ---- The frame -----------------------------------------------------------------

CQQLogin::CQQLogin() : skin::CDlgEx(IDD_PAGE_POPUP) {}

CQQLogin::~CQQLogin() {
    // The page is owned by the frame: it goes first, while both objects live.
    m_html.Destroy();
    Destroy();
}

bool CQQLogin::OnInitDialog() {
    skin::CDlgEx::OnInitDialog();
    SetCaptionText(std::wstring(ExternalLoginCaption(ExternalLoginKind::QQ)).c_str());
    SetFrameSpacing({.captionHeight = kExternalCaptionHeight, .borderWidth = kExternalBorderWidth});
    m_bmpClose = skin::LoadSkinImage(IDB_BTN_CLOSE, Scale());
    SetSkin(skin::LoadSkinImage(IDB_MAIN_FRAME, Scale()), false, true, nullptr, {}, {}, m_bmpClose.get());
    ::SetWindowPos(hwnd(), nullptr, 0, 0, kExternalFrameWidth, kExternalFrameHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CQQLogin::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE))
        return true;
    return skin::CDlgEx::PreTranslateMessage(msg);
}

void CQQLogin::PlacePage() {
    if (!m_html.hwnd())
        return;
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    const ExternalPagePlace p = ExternalPagePlacement(r.left, r.top, r.right - r.left, r.bottom - r.top);
    // Also lifted over the frame: shown before its frame was, it may lie under it.
    ::SetWindowPos(m_html.hwnd(), HWND_TOP, p.x, p.y, p.width, p.height, SWP_NOACTIVATE);
}

// The frame is owned by the login page, so the system keeps it over that page.
// Under Wine it does not always: when the launcher, which owns the login's
// artwork, makes its title-strip windows or sets its shape while this window is
// open, Wine moves the login page over the windows it owns without a message to
// any of them, and the player's clicks on the provider's page then land on the
// login page. Nothing tells us, so while the frame shows it looks every tenth
// of a second and, when its owner has come over it, puts itself and its page
// back on top (on Windows the check never finds anything to do).
void CQQLogin::KeepAboveLoginPage() {
    HWND loginPage = ::GetWindow(hwnd(), GW_OWNER);
    if (!loginPage || !::IsWindowVisible(hwnd()))
        return;
    bool ownerAbove = false;
    for (HWND w = ::GetWindow(hwnd(), GW_HWNDPREV); w && !ownerAbove; w = ::GetWindow(w, GW_HWNDPREV))
        ownerAbove = w == loginPage;
    if (!ownerAbove)
        return;
    ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PlacePage();  // the page over the frame
}

LRESULT CQQLogin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW: {
        const LRESULT r = skin::CDlgEx::WindowProc(msg, wParam, lParam);
        if (!m_html.hwnd() && m_html.CreateModeless(hwnd()))
            PlacePage();
        if (m_html.hwnd()) {
            if (wParam) {
                ::PostMessageW(hwnd(), kMsgShowPage, 0, 0);  // once the frame itself is on screen
            } else {
                KillTimer(kTimerKeepAbove);
                ::ShowWindow(m_html.hwnd(), SW_HIDE);
            }
        }
        return r;
    }
    case kMsgShowPage:
        if (m_html.hwnd() && ::IsWindowVisible(hwnd())) {
            PlacePage();
            ::ShowWindow(m_html.hwnd(), SW_SHOW);
            SetTimer(kTimerKeepAbove, kKeepAboveMs);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kTimerKeepAbove) {
            KeepAboveLoginPage();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT r = skin::CDlgEx::WindowProc(msg, wParam, lParam);
        PlacePage();  // inside the border, below the title band, on every move
        return r;
    }
    }
    return skin::CDlgEx::WindowProc(msg, wParam, lParam);
}

void CQQLogin::OnCancel() {
    m_html.Destroy();
    Destroy();
}

}  // namespace ovn
