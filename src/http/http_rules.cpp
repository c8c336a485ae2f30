#include "http/http_rules.h"

#include "common/text.h"

namespace ovn::http {

namespace {

constexpr std::wstring_view kPrefix = L"http://";

// ASCII letters, digits, '-', '.' and '_': what a host name or an IPv4 address is made of.
bool IsHostCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L'.' || c == L'_';
}

}  // namespace

bool HasHttpPrefix(std::wstring_view url) {
    return url.size() >= kPrefix.size() && EqualsNoCase(url.substr(0, kPrefix.size()), kPrefix);
}

std::optional<HttpUrlParts> SplitHttpUrl(std::wstring_view url) {
    if (!HasHttpPrefix(url))
        return std::nullopt;
    std::wstring_view rest = url.substr(kPrefix.size());
    HttpUrlParts parts;
    std::wstring_view host = rest;
    if (std::size_t slash = rest.find(L'/'); slash != std::wstring_view::npos) {
        host = rest.substr(0, slash);
        std::wstring_view object = rest.substr(slash + 1);
        if (object.size() > kObjectMax)
            return std::nullopt;
        parts.object.assign(object);
    }
    if (std::size_t colon = host.find(L':'); colon != std::wstring_view::npos) {
        parts.port = static_cast<std::uint16_t>(static_cast<unsigned long long>(ReadLeadingInt(host.substr(colon + 1))));
        host = host.substr(0, colon);
    }
    if (host.empty() || host.size() > kHostMax)
        return std::nullopt;
    parts.host.assign(host);
    return parts;
}

std::optional<HttpUrlParts> SplitPageUrl(std::wstring_view url) {
    constexpr std::wstring_view kSecure = L"https://";
    HttpUrlParts parts;
    std::wstring_view rest;
    if (HasHttpPrefix(url)) {
        rest = url.substr(kPrefix.size());
    } else if (url.size() >= kSecure.size() && EqualsNoCase(url.substr(0, kSecure.size()), kSecure)) {
        rest = url.substr(kSecure.size());
        parts.secure = true;
        parts.port = 443;
    } else {
        return std::nullopt;
    }
    rest = rest.substr(0, rest.find(L'#'));
    const std::size_t end = std::min(rest.find_first_of(L"/?"), rest.size());
    std::wstring_view host = rest.substr(0, end);
    if (host.find(L'@') != std::wstring_view::npos)
        return std::nullopt;
    if (std::size_t colon = host.find(L':'); colon != std::wstring_view::npos) {
        std::wstring_view digits = host.substr(colon + 1);
        unsigned port = 0;
        for (wchar_t c : digits) {
            if (c < L'0' || c > L'9' || (port = port * 10 + static_cast<unsigned>(c - L'0')) > 65535)
                return std::nullopt;
        }
        if (digits.empty() || port == 0)
            return std::nullopt;
        parts.port = static_cast<std::uint16_t>(port);
        host = host.substr(0, colon);
    }
    if (host.empty())
        return std::nullopt;
    parts.host.assign(host);
    std::wstring_view object = rest.substr(end);
    parts.object = object.starts_with(L'/') ? std::wstring(object) : L"/" + std::wstring(object);
    return parts;
}

bool IsPortalUrl(std::wstring_view url, std::span<const std::wstring> domains) {
    auto parts = SplitHttpUrl(url);
    if (!parts)
        return false;
    // Only a plain host name or address passes: a query or fragment with no path
    // before it ("http://h?x") still ends the host, and a NUL would end it early
    // for the system ("evil.example\0.quenra.com" connects to evil.example).
    std::wstring host = ToLowerAscii(parts->host);
    for (wchar_t c : host)
        if (!IsHostCharacter(c))
            return false;
    for (const std::wstring& domain : domains) {
        if (domain.empty())
            continue;
        std::wstring d = ToLowerAscii(domain);
        if (host == d)
            return true;
        if (host.size() > d.size() + 1 && host.ends_with(d) && host[host.size() - d.size() - 1] == L'.')
            return true;
    }
    return false;
}

std::optional<unsigned> ParseStatusCode(std::wstring_view text) {
    unsigned value = 0;
    std::size_t digits = 0;
    for (wchar_t c : text) {
        if (c == L'\0')
            break;
        if (c < L'0' || c > L'9' || ++digits > 3)
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

bool IsSuccessStatus(unsigned status) { return status >= 200 && status <= 299; }

bool IsRedirectStatus(unsigned status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::wstring> ResolveRedirect(std::wstring_view from, std::wstring_view location) {
    while (!location.empty() && (location.front() == L' ' || location.front() == L'\t'))
        location.remove_prefix(1);
    while (!location.empty() && (location.back() == L' ' || location.back() == L'\t'))
        location.remove_suffix(1);
    location = location.substr(0, location.find(L'#'));
    if (location.empty() || !HasHttpPrefix(from))
        return std::nullopt;
    if (HasHttpPrefix(location))
        return std::wstring(location);
    if (location.starts_with(L"//"))
        return L"http:" + std::wstring(location);
    // Any other scheme ("https:", "ftp:", "javascript:") is not ours to follow.
    const std::size_t colon = location.find(L':');
    if (colon != std::wstring_view::npos && location.substr(0, colon).find_first_of(L"/?") == std::wstring_view::npos)
        return std::nullopt;
    // The answering address without its query and fragment.
    from = from.substr(0, from.find_first_of(L"?#"));
    const std::size_t pathStart = from.find(L'/', kPrefix.size());
    const std::wstring_view authority = from.substr(0, pathStart);
    if (location.front() == L'/')
        return std::wstring(authority) + std::wstring(location);
    // A query alone replaces the answering address's query; an address with no
    // path has the root for one ("http://h" + "?q" is "http://h/?q", not a host "h?q").
    if (location.front() == L'?')
        return std::wstring(from) + (pathStart == std::wstring_view::npos ? L"/" : L"") +
               std::wstring(location);
    std::wstring_view folder = pathStart == std::wstring_view::npos ? std::wstring_view(L"/")
                                                                   : from.substr(pathStart, from.rfind(L'/') + 1 - pathStart);
    return std::wstring(authority) + std::wstring(folder) + std::wstring(location);
}


}  // namespace ovn::http
