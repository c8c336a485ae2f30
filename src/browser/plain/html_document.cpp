// The tree builder: turns the tokenizer's tags and text into the document's
// elements, blocks, runs and links, and the rules read off the finished tree.
#include "browser/plain/html_document.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "browser/plain/charset.h"
#include "browser/plain/html_tokenizer.h"
#include "browser/url.h"
#include "common/text.h"

namespace ovn::browser {

using namespace html;

namespace {

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