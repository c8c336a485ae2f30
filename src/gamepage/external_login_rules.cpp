#include "gamepage/external_login_rules.h"

#include <algorithm>

#include "common/portal.h"

namespace ovn::gamepage {

std::wstring ExternalRedirectAddress(ExternalLoginKind kind) {
    return portal::ExternalLoginUrl(kind == ExternalLoginKind::QQ ? kQQRedirectPath : kWeiboRedirectPath);
}

std::wstring_view ExternalLoginCaption(ExternalLoginKind kind) {
    return kind == ExternalLoginKind::QQ ? std::wstring_view(L"QQ账号安全登录")
                                         : std::wstring_view(L"新浪微博账号安全登录");
}

std::optional<ExternalLoginRequest> ExternalLoginFor(std::wstring_view url) {
    const std::wstring qq = ExternalRedirectAddress(ExternalLoginKind::QQ);
    const std::wstring weibo = ExternalRedirectAddress(ExternalLoginKind::Weibo);
    ExternalLoginRequest request;
    request.address = std::wstring(url);
    // The address the URL starts with names the kind; otherwise the first one it carries.
    if (url.starts_with(qq) || url.starts_with(weibo)) {
        request.kind = url.starts_with(qq) ? ExternalLoginKind::QQ : ExternalLoginKind::Weibo;
        request.addressOpenable = true;
        return request;
    }
    if (url.find(qq) != std::wstring_view::npos)
        request.kind = ExternalLoginKind::QQ;
    else if (url.find(weibo) != std::wstring_view::npos)
        request.kind = ExternalLoginKind::Weibo;
    else
        return std::nullopt;
    return request;
}

WatchedAddress WatchedAddressOf(std::wstring_view completedUrl) {
    if (completedUrl.starts_with(portal::ExternalLoginUrl(kQQCallbackPath)))
        return WatchedAddress::QQCallback;
    if (completedUrl.starts_with(portal::ExternalLoginUrl(kWeiboCallbackPath)))
        return WatchedAddress::WeiboCallback;
    if (completedUrl.starts_with(portal::ExternalLoginUrl(kQQBindPath)))
        return WatchedAddress::QQBinding;
    return WatchedAddress::None;
}

bool ExternalLoginFinished(std::wstring_view completedUrl, std::wstring_view loginCookie) {
    return WatchedAddressOf(completedUrl) != WatchedAddress::None && !loginCookie.empty();
}

bool IsQQAuthorizePage(std::wstring_view url) {
    return url.starts_with(L"https://" + portal::QQAuthHost() + std::wstring(kQQAuthorizePath));
}

bool CancelExternalNavigation(std::wstring_view url, bool pageVisible) {
    return !pageVisible && IsQQAuthorizePage(url);
}

ExternalPagePlace ExternalPagePlacement(int x, int y, int cx, int cy) {
    return {x + kExternalBorderWidth, y + kExternalCaptionHeight, std::max(0, cx - 2 * kExternalBorderWidth),
            std::max(0, cy - kExternalCaptionHeight - kExternalBorderWidth)};
}

}  // namespace ovn::gamepage
