#include "browser/url.h"

#include <vector>

#include "common/text.h"

namespace ovn::browser {

namespace {

bool IsAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Length of "scheme:" at the start, 0 when there is none.
size_t SchemeLength(std::wstring_view url) {
    if (url.empty() || !IsAlpha(url[0]))
        return 0;
    for (size_t i = 1; i < url.size(); ++i) {
        wchar_t c = url[i];
        if (c == L':')
            return i + 1;
        if (!IsAlpha(c) && !IsDigit(c) && c != L'+' && c != L'-' && c != L'.')
            return 0;
    }
    return 0;
}

struct UrlParts {
    std::wstring_view scheme;     // with ':'
    std::wstring_view authority;  // with leading "//", empty when absent
    std::wstring_view path;
    std::wstring_view query;     // with '?'
    std::wstring_view fragment;  // with '#'
    bool hasAuthority = false;
};

UrlParts Split(std::wstring_view url) {
    UrlParts p;
    size_t n = SchemeLength(url);
    p.scheme = url.substr(0, n);
    std::wstring_view rest = url.substr(n);
    if (size_t hash = rest.find(L'#'); hash != std::wstring_view::npos) {
        p.fragment = rest.substr(hash);
        rest = rest.substr(0, hash);
    }
    if (size_t q = rest.find(L'?'); q != std::wstring_view::npos) {
        p.query = rest.substr(q);
        rest = rest.substr(0, q);
    }
    if (rest.substr(0, 2) == L"//") {
        size_t end = rest.find(L'/', 2);
        if (end == std::wstring_view::npos)
            end = rest.size();
        p.authority = rest.substr(0, end);
        p.hasAuthority = true;
        rest = rest.substr(end);
    }
    p.path = rest;
    return p;
}

}  // namespace

std::wstring UrlForLog(std::wstring_view url) {
    UrlParts p = Split(url);
    std::wstring out(p.scheme);
    if (p.hasAuthority) {
        std::wstring_view host = p.authority.substr(2);
        if (size_t at = host.rfind(L'@'); at != std::wstring_view::npos)
            host = host.substr(at + 1);
        out += L"//";
        out += host;
    }
    out += p.path;
    if (!p.query.empty())
        out += L"?...";
    return out;
}

namespace {

// RFC 3986, 5.2.4.
std::wstring RemoveDotSegments(std::wstring_view path) {
    std::vector<std::wstring_view> out;
    bool absolute = !path.empty() && path[0] == L'/';
    size_t i = absolute ? 1 : 0;
    bool trailingSlash = false;
    while (i <= path.size()) {
        size_t end = path.find(L'/', i);
        if (end == std::wstring_view::npos)
            end = path.size();
        std::wstring_view seg = path.substr(i, end - i);
        bool last = end == path.size();
        if (seg == L".") {
            trailingSlash = last;
        } else if (seg == L"..") {
            if (!out.empty())
                out.pop_back();
            trailingSlash = last;
        } else {
            out.push_back(seg);
            trailingSlash = false;
        }
        i = end + 1;
    }
    std::wstring result = absolute ? L"/" : L"";
    for (size_t k = 0; k < out.size(); ++k) {
        if (k)
            result += L'/';
        result += out[k];
    }
    if (trailingSlash && !out.empty() && !out.back().empty())
        result += L'/';
    return result;
}

// What a browser does to an attribute value before parsing it as a URL: strip
// surrounding blanks and control characters, drop tabs and line breaks inside.
std::wstring CleanReference(std::wstring_view ref) {
    size_t b = 0, e = ref.size();
    while (b < e && ref[b] <= L' ')
        ++b;
    while (e > b && ref[e - 1] <= L' ')
        --e;
    std::wstring out;
    out.reserve(e - b);
    for (size_t i = b; i < e; ++i)
        if (ref[i] != L'\t' && ref[i] != L'\n' && ref[i] != L'\r')
            out += ref[i];
    return out;
}

bool IsWebScheme(std::wstring_view scheme) { return scheme == L"http:" || scheme == L"https:"; }

std::wstring LowerScheme(std::wstring_view scheme) { return ToLowerAscii(scheme); }

}  // namespace

std::wstring UrlScheme(std::wstring_view url) {
    size_t n = SchemeLength(url);
    return n ? LowerScheme(url.substr(0, n - 1)) : std::wstring();
}

bool IsHttpUrl(std::wstring_view url) {
    std::wstring scheme = UrlScheme(url);
    if (scheme != L"http" && scheme != L"https")
        return false;
    std::wstring_view rest = url.substr(scheme.size() + 1);
    if (rest.substr(0, 2) != L"//")
        return false;
    rest = rest.substr(2);
    size_t hostEnd = rest.find_first_of(L"/?#");
    std::wstring_view host = rest.substr(0, hostEnd == std::wstring_view::npos ? rest.size() : hostEnd);
    // "user@" and ":port" may be there; the host itself must not be empty.
    if (size_t at = host.rfind(L'@'); at != std::wstring_view::npos)
        host = host.substr(at + 1);
    if (host.empty() || host[0] == L':')
        return false;
    for (wchar_t c : url)
        if (c <= L' ' || c == L'"' || c == L'<' || c == L'>' || c == L'\\' || c == 0x7F)
            return false;
    return true;
}

std::wstring_view WithoutFragment(std::wstring_view url) {
    size_t hash = url.find(L'#');
    return hash == std::wstring_view::npos ? url : url.substr(0, hash);
}

std::wstring ResolveUrl(std::wstring_view base, std::wstring_view reference) {
    std::wstring ref = CleanReference(reference);
    UrlParts b = Split(base);
    std::wstring baseScheme = LowerScheme(b.scheme);
    if (IsWebScheme(baseScheme) && SchemeLength(ref) == 0)
        for (auto& c : ref)
            if (c == L'\\')
                c = L'/';

    if (SchemeLength(ref) != 0)
        return ref;
    if (!b.hasAuthority)
        return ref;

    std::wstring_view r = ref;
    if (r.substr(0, 2) == L"//")
        return baseScheme + std::wstring(r);

    UrlParts rp = Split(r);  // no scheme here: path, query and fragment only
    std::wstring head = baseScheme + std::wstring(b.authority);
    if (rp.path.empty()) {
        if (!rp.query.empty())
            return head + std::wstring(b.path.empty() ? L"/" : b.path) + std::wstring(rp.query) +
                   std::wstring(rp.fragment);
        return head + std::wstring(b.path.empty() ? L"/" : b.path) + std::wstring(b.query) +
               std::wstring(rp.fragment);
    }
    std::wstring path;
    if (rp.path[0] == L'/') {
        path = RemoveDotSegments(rp.path);
    } else {
        std::wstring merged;
        if (b.path.empty()) {
            merged = L"/" + std::wstring(rp.path);
        } else {
            size_t slash = b.path.rfind(L'/');
            merged = std::wstring(b.path.substr(0, slash == std::wstring_view::npos ? 0 : slash + 1)) +
                     std::wstring(rp.path);
            if (merged.empty() || merged[0] != L'/')
                merged.insert(merged.begin(), L'/');
        }
        path = RemoveDotSegments(merged);
    }
    return head + path + std::wstring(rp.query) + std::wstring(rp.fragment);
}

}  // namespace ovn::browser
