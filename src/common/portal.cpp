#include "common/portal.h"

#include <cstdlib>

namespace ovn::portal {

namespace {

#ifdef OVN_LOCAL_PORTAL
constexpr bool kLocal = true;
#else
constexpr bool kLocal = false;
#endif

// The stand-in answers every role on one address.
std::wstring LocalHost() {
    const char* value = std::getenv("OVN_PORTAL");
    std::string text = (value && *value) ? value : "127.0.0.1:8931";
    // Only host characters are taken over; anything else would let the
    // environment inject a path or a second URL.
    std::wstring host;
    for (char c : text) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  c == '.' || c == ':' || c == '-';
        if (!ok || host.size() >= 259)
            break;
        host.push_back(static_cast<wchar_t>(c));
    }
    return host.empty() ? L"127.0.0.1:8931" : host;
}

std::wstring Role(const wchar_t* real) { return kLocal ? LocalHost() : std::wstring(real); }

}  // namespace

std::wstring MainHost() { return Role(L"www.quenra.com"); }
std::wstring ServiceHost() { return Role(L"svc.quenra.com"); }
std::wstring ExternalLoginHost() { return Role(L"passport.quenra.com"); }
std::wstring QQAuthHost() { return Role(L"graph.qq.com"); }

std::wstring MainUrl(std::wstring_view path) { return L"http://" + MainHost() + std::wstring(path); }
std::wstring ServiceUrl(std::wstring_view path) { return L"http://" + ServiceHost() + std::wstring(path); }
std::wstring ExternalLoginUrl(std::wstring_view path) {
    return L"http://" + ExternalLoginHost() + std::wstring(path);
}

std::wstring HomePageUrl() { return MainUrl(L"/"); }
std::wstring LoginPageUrl() { return MainUrl(L"/ovn/client/index.html?cid=4224"); }
std::wstring HallPageUrl() { return ServiceUrl(L"/webgame.htm"); }
std::wstring FlashDownloadUrl() {
    return kLocal ? MainUrl(L"/go/getflash/") : std::wstring(L"http://get.flashplayer.example/go/getflash/");
}

std::array<std::wstring, 3> AllowedDomains() {
    if (kLocal)
        return {L"127.0.0.1", L"localhost", L"quenra.com"};
    return {L"quenra.com", L"quenra.cn", L"quenragame.com"};
}

}  // namespace ovn::portal
