// URL helpers of the web host: scheme tests and the resolution of the relative
// references a page's links, <base> and meta refresh carry. Platform-free.
#pragma once
#include <string>
#include <string_view>

namespace ovn::browser {

// The scheme of an absolute URL in lower case ("http", "app", "about"), or empty
// when the text does not start with a scheme followed by ':'.
std::wstring UrlScheme(std::wstring_view url);

// True for "http://" or "https://" (any case) followed by a non-empty host, with no
// blanks, control characters or quotes anywhere: the only URLs the program hands
// to the shell or to WinINet.
bool IsHttpUrl(std::wstring_view url);

// The URL without its "#fragment".
std::wstring_view WithoutFragment(std::wstring_view url);

// The URL as the failure log may show it: without the password or name before
// the host, the query (which may carry a login ticket; "?..." marks that there was
// one) and the fragment.
std::wstring UrlForLog(std::wstring_view url);

// Resolves a reference found in a page against the page's URL the way a browser
// does: absolute references stay as they are (only trimmed), "//host/..." takes the
// base's scheme, "/path", "path", "?query" and "#fragment" are merged and "." and
// ".." segments removed. Backslashes count as slashes in http(s) references.
// A base that is not hierarchical (no "scheme://") leaves the reference as it is.
std::wstring ResolveUrl(std::wstring_view base, std::wstring_view reference);

}  // namespace ovn::browser
