// The portal's login page in a borderless window over the login artwork: the
// page's own background colour is see-through, so the artwork shows around the
// page's panel. The page talks to us with "app://" navigations (loadgame,
// exitgame, minimize), which we cancel and carry out, and its QQ / Weibo links
// open the external-login window instead of leaving the page.
#pragma once
#include <windows.h>

#include <deque>
#include <memory>
#include <string>

#include "browser/dhtml_dialog.h"
#include "gamepage/qq_login.h"

namespace ovn {

// The colour the page paints where the artwork is to show through.
constexpr COLORREF kLoginPageKeyColour = RGB(254, 254, 254);

class CLoginDlg : public browser::CDHtmDlgEx {
public:
    explicit CLoginDlg(std::wstring pageUrl);
    ~CLoginDlg() override;

    // The external-login window now open (or hidden after its login), or null.
    CQQLogin* ExternalLoginWnd() const { return m_pExternalLogin.get(); }

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The view is placed after each navigation, not on every size change.
    bool ResizeViewWithDialog() const override { return false; }

    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override;
    void OnNavigateComplete(const std::wstring& url) override;
    bool OnPageEvent(browser::PageEvent event, const std::shared_ptr<browser::PageElement>& source) override;

private:
    void RunQueued();
    void RunCommand(const std::wstring& url);
    void LoadGame(const std::wstring& url);
    void Minimize();
    void StartExternalLogin(const std::wstring& url);
    // Ends the background's modal run, and with it this window.
    void EndLogin(int result);
    // Once the page is first on screen and painted: the launcher loads its own
    // skin then, rather than competing with the login for the processor.
    void TellLauncherLoginShown();
    HWND Background() const { return ::GetWindow(hwnd(), GW_OWNER); }

    std::wstring m_strPageUrl;
    std::unique_ptr<CQQLogin> m_pExternalLogin;
    // Navigations kept from the browser's event, carried out once it returned:
    // they may send to the launcher, open windows or hold a message box.
    std::deque<std::wstring> m_queued;
    bool m_bEnded = false;
    bool m_bRunning = false;
    bool m_bLauncherTold = false;
};

// Whether user-account control is on in this system.
bool UserAccountControlEnabled();

namespace gamepage {

// The login: the artwork with the login page over it, run modally with the
// launcher as owner. 1 when a game was chosen and accepted (StartUrl holds it),
// 2 (IDCANCEL) when the player left; -1 when the windows could not be made.
int RunLogin(HWND launcher);

}  // namespace gamepage

}  // namespace ovn
