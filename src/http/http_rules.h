// The rules of the HTTP client that need no network: splitting a URL into host,
// port and object path, the portal's download allow-list, where a redirect
// leads, and which answers may become a file. Platform-free.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "http/http_length.h"

namespace ovn::http {

// Host buffers hold 259 characters, object paths 511 (each plus a terminator).
inline constexpr std::size_t kHostMax = 259;
inline constexpr std::size_t kObjectMax = 511;

struct HttpUrlParts {
    std::wstring host;
    std::uint16_t port = 80;
    std::wstring object;  // what follows the first "/" after the host, without it
    bool secure = false;  // https
    bool operator==(const HttpUrlParts&) const = default;
};

// True when url starts with "http://" in any letter case.
bool HasHttpPrefix(std::wstring_view url);

// Splits "http://host[:port][/object]". The prefix must be "http://" (any case);
// a port is read like the C runtime's wtoi and cut to 16 bits. Nothing when the
// prefix is missing, the host is empty, or host or object path would not fit
// their buffers: a cut host or path would name another resource.
std::optional<HttpUrlParts> SplitHttpUrl(std::wstring_view url);

// Splits a page's address as a browser reads it: "http://" or "https://" (any
// case), the host up to the first "/", "?" or "#", a decimal port (default 80 or
// 443), and the object from its "/" on (a bare query gets one) without the
// fragment. Nothing for another scheme, an empty host, a port that is not a
// number from 1 to 65535, or a name or password before the host: an address that
// hides its host behind an "@" is not fetched.
std::optional<HttpUrlParts> SplitPageUrl(std::wstring_view url);

// True when the URL's host (as SplitHttpUrl finds it, without the port) is one
// of the domains or a sub-domain of one, in any letter case. The domains appear
// nowhere else for this test: a domain in the query or in a look-alike host
// ("quenra.com.elsewhere.example", "evilquenra.com") does not pass.
bool IsPortalUrl(std::wstring_view url, std::span<const std::wstring> domains);

// Reads the status line's code as HttpQueryInfo gives it; nothing when it is not
// a decimal number.
std::optional<unsigned> ParseStatusCode(std::wstring_view text);
// Only a successful answer's body may become a file: 2xx.
bool IsSuccessStatus(unsigned status);

// Redirects are followed by the helper itself, hop by hop, so that every address
// it is sent to passes the same test as the first: at most this many hops.
inline constexpr int kMaxRedirects = 5;
// 301, 302, 303, 307 and 308 send the request on to their Location.
bool IsRedirectStatus(unsigned status);
// The absolute "http://" address a Location header names, read against the
// address that answered: an absolute http address as it is, "//host/..." with
// the scheme, "/path" on the same host and port, "?query" on the answering path
// (the root when it has none), anything else beside the answering path; a
// fragment is dropped. Nothing for another scheme (https included: the helper
// speaks plain HTTP only) or an empty value.
std::optional<std::wstring> ResolveRedirect(std::wstring_view from, std::wstring_view location);

}  // namespace ovn::http
