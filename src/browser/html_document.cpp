#include "browser/html_document.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "browser/charset.h"
#include "browser/url.h"
#include "common/text.h"

namespace ovn::browser {

namespace {

// Short names for the shared ASCII helpers, as this reader uses them.
bool IsSpace(wchar_t c) { return IsAsciiSpace(c); }
bool IsAsciiAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiAlnum(wchar_t c) { return IsAsciiAlpha(c) || IsAsciiDigit(c); }
std::wstring Lower(std::wstring_view s) { return ToLowerAscii(s); }
std::wstring_view Trim(std::wstring_view s) { return TrimAsciiSpace(s); }

// A code point as UTF-16 or UTF-32, whichever wchar_t holds here.
void AppendCodePoint(std::wstring& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

struct NamedEntity {
    const wchar_t* name;
    std::uint32_t cp;
    bool legacy;  // also recognised without the ';', as browsers do
};

constexpr NamedEntity kEntities[] = {
    {L"amp", '&', true},        {L"lt", '<', true},          {L"gt", '>', true},
    {L"quot", '"', true},       {L"apos", '\'', false},      {L"nbsp", 0xA0, true},
    {L"copy", 0xA9, true},      {L"reg", 0xAE, true},        {L"trade", 0x2122, false},
    {L"middot", 0xB7, false},   {L"hellip", 0x2026, false},  {L"mdash", 0x2014, false},
    {L"ndash", 0x2013, false},  {L"laquo", 0xAB, false},     {L"raquo", 0xBB, false},
    {L"ldquo", 0x201C, false},  {L"rdquo", 0x201D, false},   {L"lsquo", 0x2018, false},
    {L"rsquo", 0x2019, false},  {L"bull", 0x2022, false},    {L"times", 0xD7, false},
    {L"divide", 0xF7, false},   {L"yen", 0xA5, false},       {L"euro", 0x20AC, false},
    {L"deg", 0xB0, false},      {L"plusmn", 0xB1, false},    {L"sect", 0xA7, false},
    {L"para", 0xB6, false},     {L"cent", 0xA2, false},      {L"pound", 0xA3, false},
    {L"larr", 0x2190, false},   {L"rarr", 0x2192, false},    {L"uarr", 0x2191, false},
    {L"darr", 0x2193, false},   {L"ensp", 0x2002, false},    {L"emsp", 0x2003, false},
    {L"thinsp", 0x2009, false}, {L"iexcl", 0xA1, false},     {L"iquest", 0xBF, false},
    {L"shy", 0xAD, false},
};

// Decodes one reference starting at text[i] == '&'. On success appends the
// character(s), advances i past the reference and returns true.
bool DecodeOne(std::wstring_view text, size_t& i, std::wstring& out, bool inAttribute) {
    size_t p = i + 1;
    if (p < text.size() && text[p] == L'#') {
        ++p;
        bool hex = p < text.size() && (text[p] == L'x' || text[p] == L'X');
        if (hex)
            ++p;
        std::uint32_t value = 0;
        size_t digits = 0;
        for (; p < text.size(); ++p) {
            wchar_t c = text[p];
            unsigned d;
            if (IsAsciiDigit(c))
                d = unsigned(c - L'0');
            else if (hex && c >= L'a' && c <= L'f')
                d = unsigned(c - L'a' + 10);
            else if (hex && c >= L'A' && c <= L'F')
                d = unsigned(c - L'A' + 10);
            else
                break;
            ++digits;
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + d;
        }
        if (digits == 0)
            return false;
        if (p < text.size() && text[p] == L';')
            ++p;
        AppendCodePoint(out, value);
        i = p;
        return true;
    }
    size_t nameEnd = p;
    while (nameEnd < text.size() && IsAsciiAlnum(text[nameEnd]) && nameEnd - p < 32)
        ++nameEnd;
    std::wstring_view name = text.substr(p, nameEnd - p);
    bool semicolon = nameEnd < text.size() && text[nameEnd] == L';';
    for (const auto& e : kEntities) {
        if (semicolon && name == e.name) {
            AppendCodePoint(out, e.cp);
            i = nameEnd + 1;
            return true;
        }
    }
    // Without ';' only the legacy names count, as the longest such prefix; inside an
    // attribute not when a letter, digit or '=' follows ("?a=1&copy=2" is a query).
    for (const auto& e : kEntities) {
        if (!e.legacy)
            continue;
        std::wstring_view en = e.name;
        if (name.substr(0, en.size()) != en)
            continue;
        size_t after = p + en.size();
        if (after < text.size() && text[after] == L';')
            continue;  // handled above if it was the whole name
        if (inAttribute && after < text.size() && (IsAsciiAlnum(text[after]) || text[after] == L'='))
            continue;
        AppendCodePoint(out, e.cp);
        i = after;
        return true;
    }
    return false;
}

std::wstring Decode(std::wstring_view text, bool inAttribute) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == L'&' && DecodeOne(text, i, out, inAttribute))
            continue;
        out += text[i++];
    }
    return out;
}

struct Attribute {
    std::wstring name;  // lower case
    std::wstring value;
};

struct Tag {
    std::wstring name;  // lower case
    bool end = false;
    bool selfClosing = false;
    std::vector<Attribute> attributes;

    const std::wstring* Get(std::wstring_view attr) const {
        for (const auto& a : attributes)
            if (a.name == attr)
                return &a.value;
        return nullptr;
    }
};

// Reads the tag that starts at html[i] == '<' (followed by a letter, or '/' and a
// letter). Returns false when the tag is not closed before the end of the text.
bool ReadTag(std::wstring_view html, size_t& i, Tag& tag) {
    size_t p = i + 1;
    if (html[p] == L'/') {
        tag.end = true;
        ++p;
    }
    size_t nameStart = p;
    while (p < html.size() && !IsSpace(html[p]) && html[p] != L'/' && html[p] != L'>')
        ++p;
    tag.name = Lower(html.substr(nameStart, p - nameStart));
    for (;;) {
        while (p < html.size() && (IsSpace(html[p]) || html[p] == L'/')) {
            if (html[p] == L'/' && p + 1 < html.size() && html[p + 1] == L'>')
                tag.selfClosing = true;
            ++p;
        }
        if (p >= html.size())
            return false;
        if (html[p] == L'>') {
            i = p + 1;
            return true;
        }
        size_t an = p;
        ++p;  // the first character may be '=' and still be part of the name
        while (p < html.size() && !IsSpace(html[p]) && html[p] != L'/' && html[p] != L'>' && html[p] != L'=')
            ++p;
        Attribute attr;
        attr.name = Lower(html.substr(an, p - an));
        while (p < html.size() && IsSpace(html[p]))
            ++p;
        if (p < html.size() && html[p] == L'=') {
            ++p;
            while (p < html.size() && IsSpace(html[p]))
                ++p;
            if (p >= html.size())
                return false;
            if (html[p] == L'"' || html[p] == L'\'') {
                wchar_t quote = html[p++];
                size_t close = html.find(quote, p);
                if (close == std::wstring_view::npos)
                    return false;
                attr.value = Decode(html.substr(p, close - p), true);
                p = close + 1;
            } else {
                size_t vs = p;
                while (p < html.size() && !IsSpace(html[p]) && html[p] != L'>')
                    ++p;
                attr.value = Decode(html.substr(vs, p - vs), true);
            }
        }
        if (!tag.end)
            tag.attributes.push_back(std::move(attr));
    }
}

// Position of the end tag "</name" that closes a raw-text element, or npos.
size_t FindRawEnd(std::wstring_view html, size_t from, std::wstring_view name) {
    for (size_t p = html.find(L"</", from); p != std::wstring_view::npos; p = html.find(L"</", p + 2)) {
        size_t q = p + 2;
        if (q + name.size() > html.size())
            return std::wstring_view::npos;
        if (Lower(html.substr(q, name.size())) != name)
            continue;
        size_t after = q + name.size();
        if (after == html.size() || IsSpace(html[after]) || html[after] == L'>' || html[after] == L'/')
            return p;
    }
    return std::wstring_view::npos;
}

bool OneOf(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsBlockElement(std::wstring_view n) {
    return OneOf(n, {L"p", L"div", L"h1", L"h2", L"h3", L"h4", L"h5", L"h6", L"ul", L"ol", L"li", L"dl",
                     L"dt", L"dd", L"table", L"tr", L"caption", L"form", L"center", L"blockquote",
                     L"pre", L"address", L"hr", L"section", L"article", L"header", L"footer", L"nav",
                     L"aside", L"main", L"figure", L"figcaption", L"fieldset", L"legend", L"details",
                     L"summary", L"body", L"html", L"thead", L"tbody", L"tfoot", L"noscript",
                     L"textarea"});
}

bool IsHeading(std::wstring_view n) {
    return n.size() == 2 && n[0] == L'h' && n[1] >= L'1' && n[1] <= L'6';
}

// Elements whose content a browser does not show as text.
bool IsHiddenContainer(std::wstring_view n) { return OneOf(n, {L"select", L"template", L"datalist"}); }

std::string AsciiLower(std::wstring_view s) {
    std::string out;
    for (wchar_t c : Trim(s))
        if (c < 0x80)
            out += static_cast<char>(LowerAscii(c));
    return out;
}

bool IsVoidTag(std::wstring_view n) {
    return OneOf(n, {L"area", L"base", L"br", L"col", L"embed", L"hr", L"img", L"input", L"link", L"meta",
                     L"param", L"source", L"track", L"wbr"});
}

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

class Builder {
public:
    HtmlDocument doc;

    void Text(std::wstring_view decoded) {
        if (hiddenDepth_ > 0)
            return;
        for (wchar_t c : decoded) {
            if (preDepth_ > 0) {
                if (c == L'\n')
                    LineBreak();
                else if (c != L'\r')
                    Put(IsSpace(c) ? L' ' : c);
            } else if (IsSpace(c)) {
                if (!pendingSpace_)
                    pendingSpaceLink_ = currentLink_;
                pendingSpace_ = true;
            } else {
                EmitPendingSpace();
                Put(c);
            }
        }
    }

    void StartTag(const Tag& t) {
        const std::wstring& n = t.name;
        if (n == L"br") {
            LineBreak();
            return;
        }
        if (IsHiddenContainer(n)) {
            if (!t.selfClosing)
                ++hiddenDepth_;
            return;
        }
        if (n == L"meta") {
            Meta(t);
            return;
        }
        if (n == L"base") {
            if (const auto* href = t.Get(L"href"); href && doc.baseHref.empty())
                doc.baseHref = std::wstring(Trim(*href));
            return;
        }
        if (hiddenDepth_ > 0)
            return;
        int element = OpenElement(t);
        if (IsBlockElement(n)) {
            BlockBreak();
            const HtmlStyle& style = doc.elements[size_t(element)].style;
            if (style.absolute) {
                // Margins around it stay in the flow it left; its content starts afresh.
                savedGap_.emplace_back(element, pendingGap_);
                pendingGap_ = 0;
            } else {
                pendingGap_ = std::max(pendingGap_, style.marginTop);
            }
            if (IsHeading(n))
                ++headingDepth_;
            if (n == L"pre")
                ++preDepth_;
            if (n == L"li")
                Text(L"\x2022 ");
            return;
        }
        if (n == L"td" || n == L"th") {
            Text(L" ");
            return;
        }
        if (n == L"a") {
            CloseLink();
            if (const auto* href = t.Get(L"href")) {
                HtmlLink link;
                link.href = *href;
                if (const auto* target = t.Get(L"target"))
                    link.target = std::wstring(Trim(*target));
                link.element = element;
                doc.links.push_back(std::move(link));
                currentLink_ = static_cast<int>(doc.links.size()) - 1;
                doc.elements[size_t(element)].link = currentLink_;
            }
            PutBox(element);
            return;
        }
        PutBox(element);
        if (n == L"img") {
            // The plain engine draws no pictures; inside a link the alt text is what
            // makes the link visible and clickable.
            if (const auto* alt = t.Get(L"alt"); alt && currentLink_ >= 0)
                Text(*alt);
            return;
        }
        if (n == L"area") {
            if (const auto* href = t.Get(L"href")) {
                const auto* alt = t.Get(L"alt");
                AddStandaloneLink(*href, t.Get(L"target"), alt ? *alt : std::wstring());
            }
            return;
        }
        if (n == L"frame" || n == L"iframe") {
            if (const auto* src = t.Get(L"src"); src && !Trim(*src).empty()) {
                BlockBreak();
                AddStandaloneLink(*src, nullptr, std::wstring());
                BlockBreak();
            }
            return;
        }
    }

    void EndTag(const Tag& t) {
        const std::wstring& n = t.name;
        if (IsHiddenContainer(n)) {
            if (hiddenDepth_ > 0)
                --hiddenDepth_;
            return;
        }
        if (hiddenDepth_ > 0)
            return;
        int closed = CloseElement(n);
        if (n == L"a") {
            CloseLink();
            return;
        }
        if (n == L"br") {  // "</br>" is taken for "<br>" by browsers too
            LineBreak();
            return;
        }
        if (IsBlockElement(n)) {
            BlockBreak();
            if (closed >= 0)
                EndBlockElement(closed);
            if (IsHeading(n) && headingDepth_ > 0)
                --headingDepth_;
            if (n == L"pre" && preDepth_ > 0)
                --preDepth_;
        }
    }

    void Title(std::wstring_view raw) {
        if (titleSeen_)
            return;
        titleSeen_ = true;
        std::wstring decoded = Decode(raw, false);
        std::wstring out;
        bool space = false;
        for (wchar_t c : decoded) {
            if (IsSpace(c)) {
                space = true;
                continue;
            }
            if (space && !out.empty())
                out += L' ';
            space = false;
            out += c;
        }
        doc.title = std::move(out);
    }

    void Finish() {
        CloseLink();
        if (doc.body < 0) {  // every page has a body to hit and to colour
            HtmlElement body;
            body.tag = L"body";
            doc.elements.push_back(std::move(body));
            doc.body = static_cast<int>(doc.elements.size()) - 1;
        }
        while (!doc.blocks.empty() && doc.blocks.back().runs.empty())
            doc.blocks.pop_back();
    }

private:
    int Top() const { return open_.empty() ? -1 : open_.back(); }

    int OpenElement(const Tag& t) {
        HtmlElement e;
        e.tag = t.name;
        for (const auto& a : t.attributes)
            e.attributes.emplace_back(a.name, a.value);
        e.parent = Top();
        e.depth = static_cast<int>(open_.size());
        e.link = currentLink_;
        if (const auto* style = t.Get(L"style"))
            e.style = ParseInlineStyle(*style);
        if (t.name == L"body" && !e.style.backgroundColor)
            if (const auto* bg = t.Get(L"bgcolor"))
                e.style.backgroundColor = ParseCssColor(*bg);
        e.sizedBox = !IsBlockElement(t.name) && t.name != L"td" && t.name != L"th" && e.style.width &&
                     e.style.height && *e.style.width > 0 && *e.style.height > 0;
        if (e.sizedBox)
            EmitPendingSpace();  // the blank before a box is its parent's
        doc.elements.push_back(std::move(e));
        int index = static_cast<int>(doc.elements.size()) - 1;
        if (t.name == L"body" && doc.body < 0)
            doc.body = index;
        if (!IsVoidTag(t.name) && !t.selfClosing)
            open_.push_back(index);
        return index;
    }

    // An end tag closes the nearest open element of its name and all inside it;
    // a stray one closes nothing. Returns the element closed, -1 when none.
    int CloseElement(std::wstring_view name) {
        for (size_t i = open_.size(); i-- > 0;) {
            int element = open_[i];
            if (doc.elements[size_t(element)].tag == name) {
                open_.resize(i);
                return element;
            }
        }
        return -1;
    }

    // The gap after a block; a positioned box hands back the flow's gap from before it
    // (also when a box inside it was left unclosed).
    void EndBlockElement(int element) {
        const HtmlStyle& style = doc.elements[size_t(element)].style;
        if (!style.absolute) {
            pendingGap_ = std::max(pendingGap_, style.marginBottom);
            return;
        }
        while (!savedGap_.empty() && savedGap_.back().first >= element) {
            pendingGap_ = savedGap_.back().second;
            savedGap_.pop_back();
        }
    }

    int Container() const {
        for (size_t i = open_.size(); i-- > 0;)
            if (IsPositioned(doc, open_[i]))
                return open_[i];
        return -1;
    }

    void PutBox(int element) {
        if (element < 0 || !doc.elements[size_t(element)].sizedBox)
            return;
        EmitPendingSpace();
        EnsureBlock();
        doc.blocks.back().runs.push_back(HtmlRun{std::wstring(), currentLink_, element, element});
    }

    void Meta(const Tag& t) {
        if (const auto* cs = t.Get(L"charset"); cs && doc.charset.empty())
            doc.charset = AsciiLower(*cs);
        const auto* equiv = t.Get(L"http-equiv");
        const auto* content = t.Get(L"content");
        if (!equiv || !content)
            return;
        std::wstring e = Lower(Trim(*equiv));
        if (e == L"refresh" && !doc.refresh)
            doc.refresh = ParseRefreshContent(*content);
        else if (e == L"content-type" && doc.charset.empty())
            doc.charset = CharsetFromContentType(*content);
    }

    void EnsureBlock() {
        if (blockOpen_)
            return;
        doc.blocks.emplace_back();
        doc.blocks.back().heading = headingDepth_ > 0;
        doc.blocks.back().container = Container();
        doc.blocks.back().gapBefore = std::exchange(pendingGap_, 0);
        blockOpen_ = true;
    }

    void Put(wchar_t c) { Put(c, currentLink_); }

    void Put(wchar_t c, int link) {
        EnsureBlock();
        auto& runs = doc.blocks.back().runs;
        int element = Top();
        if (runs.empty() || runs.back().link != link || runs.back().element != element || runs.back().box >= 0)
            runs.push_back(HtmlRun{std::wstring(), link, element});
        runs.back().text += c;
        if (link >= 0)
            doc.links[static_cast<size_t>(link)].text += c;
    }

    // A collapsed blank belongs to the run it was written in: the blank between a
    // link and the text after it is not part of the link.
    void EmitPendingSpace() {
        if (pendingSpace_ && blockOpen_ && !doc.blocks.back().runs.empty())
            Put(L' ', pendingSpaceLink_);
        pendingSpace_ = false;
    }

    void BlockBreak() {
        blockOpen_ = false;
        pendingSpace_ = false;
    }

    void LineBreak() {
        EnsureBlock();
        blockOpen_ = false;
        pendingSpace_ = false;
    }

    // A link with nothing visible in it gets its address as text, so that it can
    // still be seen and clicked.
    void CloseEmptyLink() {
        if (currentLink_ < 0)
            return;
        auto& link = doc.links[static_cast<size_t>(currentLink_)];
        if (link.element >= 0 && doc.elements[size_t(link.element)].sizedBox)
            return;  // drawn as its box
        if (Trim(link.text).empty()) {
            link.text.clear();
            EmitPendingSpace();
            for (wchar_t c : std::wstring(Trim(link.href)))
                Put(c);
        }
    }

    void CloseLink() {
        CloseEmptyLink();
        if (currentLink_ >= 0) {
            auto& link = doc.links[static_cast<size_t>(currentLink_)];
            link.text = std::wstring(Trim(link.text));
        }
        currentLink_ = -1;
    }

    void AddStandaloneLink(const std::wstring& href, const std::wstring* target, const std::wstring& text) {
        CloseLink();
        HtmlLink link;
        link.href = href;
        if (target)
            link.target = std::wstring(Trim(*target));
        doc.links.push_back(std::move(link));
        currentLink_ = static_cast<int>(doc.links.size()) - 1;
        Text(text);
        CloseLink();
    }

    bool blockOpen_ = false;
    bool pendingSpace_ = false;
    int pendingSpaceLink_ = -1;
    bool titleSeen_ = false;
    int currentLink_ = -1;
    int hiddenDepth_ = 0;
    int headingDepth_ = 0;
    int preDepth_ = 0;
    int pendingGap_ = 0;  // margins collapse: the largest one between two blocks counts
    std::vector<std::pair<int, int>> savedGap_;  // open positioned boxes: element, the flow's gap
    std::vector<int> open_;  // elements not yet closed, outermost first
};

}  // namespace

std::wstring DecodeEntities(std::wstring_view text) { return Decode(text, false); }

const std::wstring* HtmlElement::Attribute(std::wstring_view name) const {
    for (const auto& [n, v] : attributes)
        if (n == name)
            return &v;
    return nullptr;
}

bool IsBlockTag(std::wstring_view lowerTag) { return IsBlockElement(lowerTag); }

bool IsPositioned(const HtmlDocument& doc, int element) {
    if (element < 0 || size_t(element) >= doc.elements.size())
        return false;
    const HtmlElement& e = doc.elements[size_t(element)];
    return e.style.absolute && IsBlockElement(e.tag) && element != doc.body && e.tag != L"html";
}

int PositionedAncestor(const HtmlDocument& doc, int element, bool includeSelf) {
    const int count = static_cast<int>(doc.elements.size());
    int e = element;
    if (e >= 0 && e < count && !includeSelf)
        e = doc.elements[size_t(e)].parent;
    // The count bounds the walk even if a parent index were ever wrong.
    for (int guard = 0; e >= 0 && e < count && guard <= count; e = doc.elements[size_t(e)].parent, ++guard)
        if (IsPositioned(doc, e))
            return e;
    return -1;
}

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
            // The shorthand: a url(), a colour and a position, in any order.
            size_t u = Lower(value).find(L"url(");
            if (u != std::wstring_view::npos) {
                size_t close = value.find(L')', u);
                if (close != std::wstring_view::npos) {
                    style.backgroundImage = ParseCssUrl(value.substr(u, close - u + 1)).value_or(std::wstring());
                    std::wstring rest = std::wstring(value.substr(0, u)) + L" " + std::wstring(value.substr(close + 1));
                    value = {};
                    HtmlStyle tail = ParseInlineStyle(L"background:" + rest);
                    style.backgroundColor = tail.backgroundColor;
                    style.backgroundX = tail.backgroundX;
                    style.backgroundY = tail.backgroundY;
                    continue;
                }
            }
            std::wstring words;
            for (size_t p = 0; p < value.size();) {
                while (p < value.size() && IsSpace(value[p]))
                    ++p;
                size_t start = p;
                while (p < value.size() && !IsSpace(value[p]))
                    ++p;
                std::wstring_view word = value.substr(start, p - start);
                if (word.empty())
                    break;
                if (auto colour = ParseCssColor(word))
                    style.backgroundColor = colour;
                else
                    words += std::wstring(word) + L" ";
            }
            ParseBackgroundPosition(words, style);
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

std::optional<MetaRefresh> ParseRefreshContent(std::wstring_view content) {
    std::wstring_view s = Trim(content);
    size_t p = 0;
    while (p < s.size() && IsAsciiDigit(s[p]))
        ++p;
    if (p == 0)
        return std::nullopt;
    MetaRefresh r;
    long long delay = ReadLeadingInt(s.substr(0, p));
    // A delay beyond a day is as good as never; the cap keeps milliseconds in range.
    r.delaySeconds = static_cast<int>(std::min<long long>(delay, 86400));
    while (p < s.size() && (IsAsciiDigit(s[p]) || s[p] == L'.'))
        ++p;
    while (p < s.size() && IsSpace(s[p]))
        ++p;
    if (p < s.size() && (s[p] == L';' || s[p] == L','))
        ++p;
    while (p < s.size() && IsSpace(s[p]))
        ++p;
    std::wstring_view rest = s.substr(p);
    if (rest.size() >= 3 && Lower(rest.substr(0, 3)) == L"url") {
        size_t q = 3;
        while (q < rest.size() && IsSpace(rest[q]))
            ++q;
        if (q < rest.size() && rest[q] == L'=') {
            ++q;
            while (q < rest.size() && IsSpace(rest[q]))
                ++q;
            rest = rest.substr(q);
        }
    }
    if (!rest.empty() && (rest[0] == L'"' || rest[0] == L'\'')) {
        size_t close = rest.find(rest[0], 1);
        rest = rest.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
    }
    r.url = std::wstring(Trim(rest));
    return r;
}

HtmlDocument ParseHtml(std::wstring_view html) {
    Builder b;
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] != L'<') {
            size_t next = html.find(L'<', i);
            if (next == std::wstring_view::npos)
                next = html.size();
            b.Text(Decode(html.substr(i, next - i), false));
            i = next;
            continue;
        }
        if (html.substr(i, 4) == L"<!--") {
            size_t close = html.find(L"-->", i + 4);
            if (close == std::wstring_view::npos)
                break;
            i = close + 3;
            continue;
        }
        if (i + 1 < html.size() && (html[i + 1] == L'!' || html[i + 1] == L'?')) {
            size_t close = html.find(L'>', i);
            if (close == std::wstring_view::npos)
                break;
            i = close + 1;
            continue;
        }
        bool isTag = i + 1 < html.size() &&
                     (IsAsciiAlpha(html[i + 1]) || (html[i + 1] == L'/' && i + 2 < html.size() && IsAsciiAlpha(html[i + 2])));
        if (!isTag) {
            b.Text(L"<");
            ++i;
            continue;
        }
        Tag tag;
        if (!ReadTag(html, i, tag))
            break;
        if (tag.end) {
            b.EndTag(tag);
            continue;
        }
        const std::wstring& n = tag.name;
        bool raw = n == L"script" || n == L"style" || n == L"title" || n == L"textarea" || n == L"xmp" ||
                   n == L"iframe" || n == L"noembed";
        if (raw && !tag.selfClosing) {
            size_t end = FindRawEnd(html, i, n);
            std::wstring_view content = html.substr(i, end == std::wstring_view::npos ? std::wstring_view::npos : end - i);
            if (n == L"title") {
                b.Title(content);
            } else if (n == L"textarea" || n == L"xmp") {
                b.StartTag(tag);
                b.Text(n == L"textarea" ? Decode(content, false) : std::wstring(content));
                b.EndTag(Tag{n, true, false, {}});
            } else if (n == L"iframe") {
                b.StartTag(tag);
            }
            if (end == std::wstring_view::npos)
                break;
            i = end;
            continue;
        }
        b.StartTag(tag);
    }
    b.Finish();
    return std::move(b.doc);
}

void ResolveDocumentUrls(HtmlDocument& doc, std::wstring_view documentUrl) {
    std::wstring base = doc.baseHref.empty() ? std::wstring(documentUrl) : ResolveUrl(documentUrl, doc.baseHref);
    for (auto& link : doc.links)
        link.href = ResolveUrl(base, link.href);
    for (auto& e : doc.elements)
        if (!e.style.backgroundImage.empty())
            e.style.backgroundImage = ResolveUrl(base, e.style.backgroundImage);
    if (doc.refresh && !doc.refresh->url.empty())
        doc.refresh->url = ResolveUrl(base, doc.refresh->url);
}

std::wstring VisibleText(const HtmlDocument& doc) {
    std::wstring out;
    for (size_t i = 0; i < doc.blocks.size(); ++i) {
        if (i)
            out += L'\n';
        for (const auto& run : doc.blocks[i].runs)
            out += run.text;
    }
    return out;
}

}  // namespace ovn::browser
