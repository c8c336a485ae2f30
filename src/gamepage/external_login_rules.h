// The rules of the QQ and Sina Weibo login windows: which navigations of the
// login page start one, which address it opens under which caption, which
// completed addresses end it once the portal has set its login cookie, and
// where the page sits inside the skinned frame. Platform-free.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ovn::gamepage {

enum class ExternalLoginKind { QQ, Weibo };

// Paths on the portal's external-login host (and QQ's authorisation host).
constexpr std::wstring_view kQQRedirectPath = L"/qzone/redirectToAuthorize.do?";
constexpr std::wstring_view kWeiboRedirectPath = L"/weibo/redirectToAuthorize.do?";
constexpr std::wstring_view kQQCallbackPath = L"/qzone/callback.do?code=";
constexpr std::wstring_view kWeiboCallbackPath = L"/weibo/callback.do?state";
constexpr std::wstring_view kQQBindPath = L"/qzone/extAutoBind.do";
constexpr std::wstring_view kQQAuthorizePath = L"/oauth2.0/authorize";

// The portal's authorisation-redirect address for a kind: the login page's link
// to it starts the external login.
std::wstring ExternalRedirectAddress(ExternalLoginKind kind);

// "QQ账号安全登录" or "新浪微博账号安全登录".
std::wstring_view ExternalLoginCaption(ExternalLoginKind kind);

struct ExternalLoginRequest {
    ExternalLoginKind kind = ExternalLoginKind::QQ;
    std::wstring address;          // the URL the login page was about to open
    bool addressOpenable = false;  // it starts with the portal's redirect address
};

// A login-page navigation that carries a redirect address anywhere in it is an
// external login (QQ before Weibo); the navigation is cancelled. The window opens
// the address only when the address is the portal's own, i.e. starts with its
// redirect address: a foreign page that merely carries it in its query must not
// appear under a "secure login" caption. Nothing for any other URL.
std::optional<ExternalLoginRequest> ExternalLoginFor(std::wstring_view url);

// The completed addresses after which the portal may have set its login cookie:
// QQ callback, Weibo callback, QQ account binding. The URL must start with the
// full address; one that carries it only in its query is not one of them.
enum class WatchedAddress { None, QQCallback, WeiboCallback, QQBinding };
WatchedAddress WatchedAddressOf(std::wstring_view completedUrl);

// The cookie that says the portal has logged the player in.
constexpr std::wstring_view kLoginCookieName = L"Pauth";

// The external login is finished when a watched address has completed and the
// portal's login cookie for it is not empty; without the cookie the window stays
// on the page (login refused or not finished).
bool ExternalLoginFinished(std::wstring_view completedUrl, std::wstring_view loginCookie);

// QQ's authorisation page: not opened while the page window is hidden.
bool IsQQAuthorizePage(std::wstring_view url);
bool CancelExternalNavigation(std::wstring_view url, bool pageVisible);

// The frame: 740 x 480, a 30-pixel title band and a 4-pixel border.
constexpr int kExternalFrameWidth = 740;
constexpr int kExternalFrameHeight = 480;
constexpr int kExternalCaptionHeight = 30;
constexpr int kExternalBorderWidth = 4;

struct ExternalPagePlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ExternalPagePlace&) const = default;
};
// Where the page goes for a frame at (x, y) of cx x cy: inside the border, below
// the title band; never a negative size.
ExternalPagePlace ExternalPagePlacement(int x, int y, int cx, int cy);

// Timers of the page window and the windows they look for.
constexpr unsigned kTimerRemovePageBox = 1;    // after the login: the closing page's message box
constexpr unsigned kTimerCloseScriptDialogs = 2;
constexpr unsigned kRemovePageBoxMs = 10;
constexpr unsigned kCloseScriptDialogsMs = 130;
// Timer of the frame: while it shows, it checks that it still lies over the login
// page that owns it (see CQQLogin::KeepAboveLoginPage).
constexpr unsigned kTimerKeepAbove = 3;
constexpr unsigned kKeepAboveMs = 100;
constexpr std::wstring_view kScriptDialogClass = L"Internet Explorer_TridentDlgFrame";
constexpr std::wstring_view kMessageBoxClass = L"#32770";

}  // namespace ovn::gamepage
