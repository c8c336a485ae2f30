// The style attribute's reader: the few properties the plain engine draws.
#include "browser/plain/html_document.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "browser/plain/html_tokenizer.h"
#include "common/text.h"

namespace ovn::browser {

using namespace html;

namespace {

// "12px", "12", "-80px" as whole pixels; nothing for other units.
std::optional<int> ParsePixels(std::wstring_view s) {
    s = Trim(s);
    if (s.size() >= 2 && Lower(s.substr(s.size() - 2)) == L"px")
        s.remove_suffix(2);
    if (s.empty())
        return std::nullopt;
    size_t i = (s[0] == L'-' || s[0] == L'+') ? 1 : 0;
    if (i == s.size())
        return std::nullopt;
    long long v = 0;
    for (; i < s.size() && IsAsciiDigit(s[i]); ++i)
        v = std::min<long long>(v * 10 + (s[i] - L'0'), 1000000);
    if (i < s.size() && s[i] == L'.') {  // fractions are dropped
        for (++i; i < s.size() && IsAsciiDigit(s[i]); ++i) {
        }
    }
    if (i != s.size())
        return std::nullopt;
    return static_cast<int>(s[0] == L'-' ? -v : v);
}

// The one to four lengths of padding or margin (top, right, bottom, left as CSS
// repeats them); what is not a pixel length ("auto", "1em") counts as 0.
HtmlEdges ParseEdges(std::wstring_view s, int least) {
    std::vector<int> v;
    for (size_t i = 0; i < s.size() && v.size() < 4;) {
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        size_t start = i;
        while (i < s.size() && !IsSpace(s[i]))
            ++i;
        if (i > start)
            v.push_back(std::max(least, ParsePixels(s.substr(start, i - start)).value_or(0)));
    }
    if (v.empty())
        return {};
    HtmlEdges e;
    e.top = v[0];
    e.right = v.size() > 1 ? v[1] : v[0];
    e.bottom = v.size() > 2 ? v[2] : v[0];
    e.left = v.size() > 3 ? v[3] : e.right;
    return e;
}

// url(x), url('x'), url("x") -> x; nothing when it is not a url().
std::optional<std::wstring> ParseCssUrl(std::wstring_view s) {
    s = Trim(s);
    if (s.size() < 5 || Lower(s.substr(0, 4)) != L"url(" || s.back() != L')')
        return std::nullopt;
    s = Trim(s.substr(4, s.size() - 5));
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        s = s.substr(1, s.size() - 2);
    return std::wstring(Trim(s));
}

// "x y" of background-position: pixels, or the keywords that mean 0.
void ParseBackgroundPosition(std::wstring_view s, HtmlStyle& style) {
    int n = 0;
    size_t i = 0;
    while (i < s.size() && n < 2) {
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        size_t start = i;
        while (i < s.size() && !IsSpace(s[i]))
            ++i;
        std::wstring word = Lower(s.substr(start, i - start));
        if (word.empty())
            break;
        std::optional<int> v = ParsePixels(word);
        if (!v && (word == L"left" || word == L"top"))
            v = 0;
        if (!v)
            continue;
        (n == 0 ? style.backgroundX : style.backgroundY) = *v;
        ++n;
    }
}

}  // namespace

std::optional<std::uint32_t> ParseCssColor(std::wstring_view text) {
    std::wstring s = Lower(Trim(text));
    struct Named {
        const wchar_t* name;
        std::uint32_t rgb;
    };
    static constexpr Named kNames[] = {{L"white", 0xFFFFFF}, {L"black", 0x000000}, {L"red", 0xFF0000},
                                       {L"green", 0x008000}, {L"blue", 0x0000FF}, {L"yellow", 0xFFFF00},
                                       {L"gray", 0x808080},  {L"grey", 0x808080}, {L"silver", 0xC0C0C0}};
    for (const auto& n : kNames)
        if (s == n.name)
            return n.rgb;
    if (s.empty() || s[0] != L'#')
        return std::nullopt;
    std::uint32_t v = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        wchar_t c = s[i];
        unsigned d;
        if (IsAsciiDigit(c))
            d = unsigned(c - L'0');
        else if (c >= L'a' && c <= L'f')
            d = unsigned(c - L'a' + 10);
        else
            return std::nullopt;
        v = v << 4 | d;
    }
    if (s.size() == 7)
        return v;
    if (s.size() == 4)  // #rgb: each digit doubled
        return ((v >> 8) & 0xF) * 0x110000 + ((v >> 4) & 0xF) * 0x1100 + (v & 0xF) * 0x11;
    return std::nullopt;
}

namespace {

// Where "url(" starts at or after from, in any case; npos when nowhere.
size_t FindUrlOpening(std::wstring_view s, size_t from) {
    static constexpr std::wstring_view kOpening = L"url(";
    for (size_t i = from; i + kOpening.size() <= s.size(); ++i) {
        size_t k = 0;
        while (k < kOpening.size() && LowerAscii(s[i + k]) == kOpening[k])
            ++k;
        if (k == kOpening.size())
            return i;
    }
    return std::wstring_view::npos;
}

// The background shorthand: url()s, a colour and a position, in any order. The
// first closed url() is the picture, every closed url() is cut out, and the
// words left give the colour and the position; with a url() they replace what
// earlier declarations set, without one they add to it. One pass over the
// value: a page may write thousands of url()s in it.
void ReadBackgroundShorthand(std::wstring_view value, HtmlStyle& style) {
    std::wstring rest;
    bool pictured = false;
    size_t from = 0;
    for (size_t u; (u = FindUrlOpening(value, from)) != std::wstring_view::npos;) {
        const size_t close = value.find(L')', u);
        if (close == std::wstring_view::npos)
            break;
        if (!pictured)
            style.backgroundImage = ParseCssUrl(value.substr(u, close - u + 1)).value_or(std::wstring());
        pictured = true;
        rest.append(value.substr(from, u - from)).push_back(L' ');
        from = close + 1;
    }
    rest.append(value.substr(from));

    HtmlStyle fresh;
    HtmlStyle& target = pictured ? fresh : style;
    std::wstring words;
    for (size_t p = 0; p < rest.size();) {
        while (p < rest.size() && IsSpace(rest[p]))
            ++p;
        size_t start = p;
        while (p < rest.size() && !IsSpace(rest[p]))
            ++p;
        std::wstring_view word = std::wstring_view(rest).substr(start, p - start);
        if (word.empty())
            break;
        if (auto colour = ParseCssColor(word))
            target.backgroundColor = colour;
        else
            words.append(word).push_back(L' ');
    }
    ParseBackgroundPosition(words, target);
    if (pictured) {
        style.backgroundColor = fresh.backgroundColor;
        style.backgroundX = fresh.backgroundX;
        style.backgroundY = fresh.backgroundY;
    }
}

}  // namespace

HtmlStyle ParseInlineStyle(std::wstring_view text) {
    HtmlStyle style;
    size_t i = 0;
    while (i <= text.size()) {
        size_t end = text.find(L';', i);
        if (end == std::wstring_view::npos)
            end = text.size();
        std::wstring_view decl = text.substr(i, end - i);
        i = end + 1;
        size_t colon = decl.find(L':');
        if (colon == std::wstring_view::npos)
            continue;
        std::wstring name = Lower(Trim(decl.substr(0, colon)));
        std::wstring_view value = Trim(decl.substr(colon + 1));
        if (name == L"background-color") {
            style.backgroundColor = ParseCssColor(value);
        } else if (name == L"background-image") {
            style.backgroundImage = ParseCssUrl(value).value_or(std::wstring());
        } else if (name == L"background-position") {
            ParseBackgroundPosition(value, style);
        } else if (name == L"background-position-x") {
            style.backgroundX = ParsePixels(value).value_or(0);
        } else if (name == L"background") {
            ReadBackgroundShorthand(value, style);
        } else if (name == L"width") {
            style.width = ParsePixels(value);
        } else if (name == L"height") {
            style.height = ParsePixels(value);
        } else if (name == L"color") {
            style.color = ParseCssColor(value);
        } else if (name == L"position") {
            style.absolute = Lower(value) == L"absolute";
        } else if (name == L"left") {
            style.left = ParsePixels(value).value_or(0);
        } else if (name == L"top") {
            style.top = ParsePixels(value).value_or(0);
        } else if (name == L"padding") {
            style.padding = ParseEdges(value, 0);
        } else if (name == L"padding-top") {
            style.padding.top = std::max(0, ParsePixels(value).value_or(0));
        } else if (name == L"padding-right") {
            style.padding.right = std::max(0, ParsePixels(value).value_or(0));
        } else if (name == L"padding-bottom") {
            style.padding.bottom = std::max(0, ParsePixels(value).value_or(0));
        } else if (name == L"padding-left") {
            style.padding.left = std::max(0, ParsePixels(value).value_or(0));
        } else if (name == L"margin") {
            HtmlEdges margin = ParseEdges(value, -1000000);
            style.marginTop = margin.top;
            style.marginBottom = margin.bottom;
        } else if (name == L"margin-top") {
            style.marginTop = ParsePixels(value).value_or(0);
        } else if (name == L"margin-bottom") {
            style.marginBottom = ParsePixels(value).value_or(0);
        }
    }
    return style;
}

}  // namespace ovn::browser
