#include "gamepage/external_login_rules.h"

#include <gtest/gtest.h>

#include "common/portal.h"

using namespace ovn::gamepage;
using ovn::portal::ExternalLoginUrl;

TEST(ExternalLoginStart, RedirectAddressesNameKindCaptionAndAddress) {
    const std::wstring qq = ExternalLoginUrl(L"/qzone/redirectToAuthorize.do?");
    const std::wstring weibo = ExternalLoginUrl(L"/weibo/redirectToAuthorize.do?");
    EXPECT_EQ(ExternalRedirectAddress(ExternalLoginKind::QQ), qq);
    EXPECT_EQ(ExternalRedirectAddress(ExternalLoginKind::Weibo), weibo);
    EXPECT_EQ(ExternalLoginCaption(ExternalLoginKind::QQ), L"QQ账号安全登录");
    EXPECT_EQ(ExternalLoginCaption(ExternalLoginKind::Weibo), L"新浪微博账号安全登录");

    auto request = ExternalLoginFor(qq + L"gameId=4224&back=x");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, ExternalLoginKind::QQ);
    EXPECT_EQ(request->address, qq + L"gameId=4224&back=x");
    EXPECT_TRUE(request->addressOpenable);

    request = ExternalLoginFor(weibo);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, ExternalLoginKind::Weibo);
    EXPECT_TRUE(request->addressOpenable);

    // A Weibo redirect that names the QQ one in its query is still the Weibo login.
    request = ExternalLoginFor(weibo + L"back=" + qq);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, ExternalLoginKind::Weibo);

    for (std::wstring url : {ovn::portal::LoginPageUrl(), ExternalLoginUrl(L"/qzone/redirectToAuthorize.do"),
                             ExternalLoginUrl(L"/QZONE/redirectToAuthorize.do?")})
        EXPECT_FALSE(ExternalLoginFor(url)) << url;
}

TEST(ExternalLoginStart, AForeignPageCarryingTheAddressIsCancelledButNotOpened) {
    const std::wstring qq = ExternalLoginUrl(L"/qzone/redirectToAuthorize.do?");
    for (std::wstring url : {L"http://evil.example/?next=" + qq,
                             L"http://evil.example/" + qq}) {
        auto request = ExternalLoginFor(url);
        ASSERT_TRUE(request) << url;  // the login page still stays where it is
        EXPECT_EQ(request->kind, ExternalLoginKind::QQ);
        EXPECT_FALSE(request->addressOpenable) << url;
    }
}

TEST(ExternalLoginEnd, OnlyAddressesThatStartWithACallbackCount) {
    const std::wstring qqCallback = ExternalLoginUrl(L"/qzone/callback.do?code=");
    const std::wstring weiboCallback = ExternalLoginUrl(L"/weibo/callback.do?state");
    const std::wstring bind = ExternalLoginUrl(L"/qzone/extAutoBind.do");
    EXPECT_EQ(WatchedAddressOf(qqCallback + L"ABC123&state=x"), WatchedAddress::QQCallback);
    EXPECT_EQ(WatchedAddressOf(weiboCallback + L"=1&code=2"), WatchedAddress::WeiboCallback);
    EXPECT_EQ(WatchedAddressOf(bind), WatchedAddress::QQBinding);
    EXPECT_EQ(WatchedAddressOf(bind + L"?uid=9"), WatchedAddress::QQBinding);

    // Carried only in the query of another address, or in another form: not ours.
    for (std::wstring url : {L"https://graph.qq.com/oauth2.0/show?redirect_uri=" + qqCallback,
                             L"http://evil.example/" + weiboCallback, L" " + bind,
                             ExternalLoginUrl(L"/qzone/callback.do?state=1&code=2"),
                             ExternalLoginUrl(L"/qzone/Callback.do?code=1"), ovn::portal::LoginPageUrl()})
        EXPECT_EQ(WatchedAddressOf(url), WatchedAddress::None) << url;

    // Finished only with the portal's login cookie.
    EXPECT_TRUE(ExternalLoginFinished(qqCallback + L"1", L"token"));
    EXPECT_FALSE(ExternalLoginFinished(qqCallback + L"1", L""));
    EXPECT_FALSE(ExternalLoginFinished(L"http://evil.example/?" + qqCallback, L"token"));
}

TEST(ExternalLoginPage, QQAuthorisationWaitsForAVisibleWindow) {
    const std::wstring authorize = L"https://" + ovn::portal::QQAuthHost() + L"/oauth2.0/authorize";
    EXPECT_TRUE(CancelExternalNavigation(authorize + L"?client_id=1", false));
    EXPECT_FALSE(CancelExternalNavigation(authorize + L"?client_id=1", true));
    EXPECT_FALSE(CancelExternalNavigation(L"http://" + ovn::portal::QQAuthHost() + L"/oauth2.0/authorize", false));
    EXPECT_FALSE(CancelExternalNavigation(ExternalLoginUrl(L"/qzone/redirectToAuthorize.do?"), false));
}

TEST(ExternalLoginPage, FillsTheFrameInsideBorderAndBelowTitle) {
    EXPECT_EQ(ExternalPagePlacement(100, 50, kExternalFrameWidth, kExternalFrameHeight),
              (ExternalPagePlace{104, 80, 732, 446}));
    EXPECT_EQ(ExternalPagePlacement(-20, -5, 6, 20), (ExternalPagePlace{-16, 25, 0, 0}));
}
