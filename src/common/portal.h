// Where the portal lives: one place for every host role and path the program uses.
// A build configured with OVN_LOCAL_PORTAL points every role at the local stand-in
// portal, whose address ("127.0.0.1:PORT") is read from the environment variable
// OVN_PORTAL at start, because the stand-in picks a free port each time it runs.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace ovn::portal {

// Hosts by role (host or host:port, no scheme).
std::wstring MainHost();           // home page, login page
std::wstring ServiceHost();        // statistics, update and game configuration, notice, hall
std::wstring ExternalLoginHost();  // QQ / Sina Weibo redirect and callback pages
std::wstring QQAuthHost();         // QQ's authorisation pages (https)

// Whole URLs built from the roles.
std::wstring HomePageUrl();             // http://<main>/
std::wstring LoginPageUrl();            // http://<main>/ovn/client/index.html?cid=4224
std::wstring HallPageUrl();             // http://<service>/webgame.htm
std::wstring ServiceUrl(std::wstring_view path);  // http://<service> + path ("/..." )
std::wstring MainUrl(std::wstring_view path);
std::wstring ExternalLoginUrl(std::wstring_view path);
std::wstring FlashDownloadUrl();        // the Flash Player download page

// The portal's three domain names: a downloaded file's URL must name one of them.
std::array<std::wstring, 3> AllowedDomains();

}  // namespace ovn::portal
