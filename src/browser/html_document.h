// What the plain web engine understands of a page: its title, its visible text as
// paragraphs of runs, its links, a meta refresh, a <base href> and the declared
// character set. Platform-free; the engine's window only draws the result.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovn::browser {

struct HtmlLink {
    std::wstring href;    // as written in the page; absolute after ResolveDocumentUrls
    std::wstring target;  // the target attribute ("_blank", a frame name, or empty)
    std::wstring text;    // visible text of the link (falls back to an image's alt, then href)
};

// A piece of text inside a paragraph; link is an index into HtmlDocument::links, or -1.
struct HtmlRun {
    std::wstring text;
    int link = -1;
};

// One line-start in the visible text: a paragraph, a list item, a table row, or
// the text after a <br>. An empty paragraph is a blank line (from <br><br>).
struct HtmlBlock {
    std::vector<HtmlRun> runs;
    bool heading = false;
};

struct MetaRefresh {
    int delaySeconds = 0;
    std::wstring url;  // empty: reload the same page
};

struct HtmlDocument {
    std::wstring title;
    std::vector<HtmlBlock> blocks;
    std::vector<HtmlLink> links;
    std::optional<MetaRefresh> refresh;
    std::wstring baseHref;  // the first <base href>, empty when none
    std::string charset;    // from <meta charset> or <meta http-equiv="content-type">, lower case
};

// Reads a whole page. Never fails: whatever is not understood is skipped, an
// unclosed tag or comment ends the document.
HtmlDocument ParseHtml(std::wstring_view html);

// Makes the links and the refresh target absolute against the page's own URL
// (or its <base href>, itself resolved against the page URL).
void ResolveDocumentUrls(HtmlDocument& doc, std::wstring_view documentUrl);

// The visible text, one paragraph a line.
std::wstring VisibleText(const HtmlDocument& doc);

// Replaces character references ("&amp;", "&#20013;", "&#x4e2d;") with their
// characters. Unknown names stay as written; invalid numbers give U+FFFD.
std::wstring DecodeEntities(std::wstring_view text);

// Reads the content attribute of a meta refresh: "5", "0; url=/next", "3,URL='x'".
// Nothing when the delay is missing or not a number.
std::optional<MetaRefresh> ParseRefreshContent(std::wstring_view content);

}  // namespace ovn::browser
