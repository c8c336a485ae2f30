// The QQ and Sina Weibo login windows: a skinned frame with the provider's pages
// inside. The page window opens the portal's redirect address, follows the
// provider's pages and, once the portal's callback has set its login cookie,
// hides itself and its frame; the login page, which shares the cookie store,
// sees the player logged in.
#pragma once
#include <windows.h>

#include <string>

#include "browser/dhtml_dialog.h"
#include "skin/dlg_ex.h"

namespace ovn {

class CQQHtml : public browser::CDHtmlDialog {
public:
    CQQHtml();
    ~CQQHtml() override;

    // What the window opens each time it is shown (or hidden).
    std::wstring m_strAddress;

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Closing puts the window away: its frame and the login page keep it.
    void OnCancel() override { ::ShowWindow(hwnd(), SW_HIDE); }

    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override;
    void OnNavigateComplete(const std::wstring& url) override;

private:
    void OnTimer(UINT_PTR id);
    bool LoginCookieSet(const std::wstring& url) const;
};

class CQQLogin : public skin::CDlgEx {
public:
    CQQLogin();
    ~CQQLogin() override;

    CQQHtml m_html;

protected:
    bool OnInitDialog() override;
    // The window took the size the system suggested for the new scale.
    void OnScaleChanged() override { LoadSkins(); }
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The close button: both windows go; the object stays with the login page.
    void OnCancel() override;

private:
    void LoadSkins();
    void PlacePage();
    void KeepAboveLoginPage();

    gdi::Bitmap m_bmpClose;
};

}  // namespace ovn
