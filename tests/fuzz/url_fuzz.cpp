// A page URL and a reference found in it: resolving is idempotent (an absolute
// result resolves to itself), and the log's form of a URL carries no query or
// fragment. Input: the base on the first line, the reference after it.
#include <algorithm>

#include "browser/url.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = ovn::fuzz::Fields(ovn::fuzz::Text(data, size), 2);
    const std::wstring& base = f[0];
    const std::wstring& reference = f.size() > 1 ? f[1] : f[0];
    const std::wstring resolved = ResolveUrl(base, reference);
    // A base as the program has one (a page's URL, a resolved <base href>) holds no
    // blanks or controls: an absolute result resolves to itself against it.
    const bool plainBase = std::all_of(base.begin(), base.end(), [](wchar_t c) { return c > L' '; });
    if (plainBase && !UrlScheme(resolved).empty())
        FUZZ_CHECK(ResolveUrl(base, resolved) == resolved);
    for (const std::wstring* url : {&base, &reference, &resolved}) {
        const std::wstring logged = UrlForLog(*url);
        FUZZ_CHECK(logged.find(L'#') == std::wstring::npos);
        const std::size_t query = logged.find(L'?');
        FUZZ_CHECK(query == std::wstring::npos || query + 4 >= logged.size());
        FUZZ_CHECK(WithoutFragment(*url).find(L'#') == std::wstring_view::npos);
        if (IsHttpUrl(*url)) {
            const std::wstring scheme = UrlScheme(*url);
            FUZZ_CHECK(scheme == L"http" || scheme == L"https");
            for (wchar_t c : *url)
                FUZZ_CHECK(c > L' ' && c != L'"' && c != 0x7F);
        }
    }
    return 0;
}
