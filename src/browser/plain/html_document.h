// What the plain web engine understands of a page: its title, its visible text as
// paragraphs of runs, its links, a meta refresh, a <base href> and the declared
// character set. Platform-free; the engine's window only draws the result.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovn::browser {

struct HtmlLink {
    std::wstring href;    // as written in the page; absolute after ResolveDocumentUrls
    std::wstring target;  // the target attribute ("_blank", a frame name, or empty)
    std::wstring text;    // visible text of the link (falls back to an image's alt, then href)
    int element = -1;     // the <a> (or <area>, frame) element it comes from, -1 when none
};

struct HtmlEdges {
    int top = 0, right = 0, bottom = 0, left = 0;
};

// The few style properties the plain engine draws: from the style attribute
// (and, for the body, the bgcolor attribute).
struct HtmlStyle {
    std::optional<std::uint32_t> backgroundColor;  // 0xRRGGBB
    std::wstring backgroundImage;                  // the url(...) as written; absolute after ResolveDocumentUrls
    int backgroundX = 0, backgroundY = 0;          // background-position in pixels
    std::optional<int> width, height;              // in pixels
    std::optional<std::uint32_t> color;            // the text's, 0xRRGGBB; inherited
    // position:absolute with left and top in pixels: taken out of the flow and placed
    // against the nearest positioned ancestor's padding box, else the page's corner.
    bool absolute = false;
    int left = 0, top = 0;
    HtmlEdges padding;                // honoured on positioned boxes
    int marginTop = 0, marginBottom = 0;  // vertical space around blocks in the flow
};

// An element of the page: every start tag outside hidden containers.
struct HtmlElement {
    std::wstring tag;  // lower case
    std::vector<std::pair<std::wstring, std::wstring>> attributes;  // names lower case, in page order
    int parent = -1;
    int depth = 0;
    int link = -1;  // the link this element is or is inside, -1 when none
    HtmlStyle style;
    // An inline element with a width and a height of its own is drawn as a box of
    // that size (a sprite button), not as its text.
    bool sizedBox = false;

    const std::wstring* Attribute(std::wstring_view name) const;
};

// A piece of text inside a paragraph; link is an index into HtmlDocument::links, or -1.
struct HtmlRun {
    std::wstring text;
    int link = -1;
    int element = -1;  // the innermost element the text is in
    int box = -1;      // a sized element drawn here as a box of its own (then text is empty)
};

// One line-start in the visible text: a paragraph, a list item, a table row, or
// the text after a <br>. An empty paragraph is a blank line (from <br><br>).
struct HtmlBlock {
    std::vector<HtmlRun> runs;
    bool heading = false;
    int container = -1;  // the positioned element it is laid out in, -1: the page's flow
    int gapBefore = 0;   // blank pixels above it (the margins between it and the block before)
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
    std::vector<HtmlElement> elements;  // in page order: a parent before its children
    int body = -1;                      // the body element (one is made when the page has none)
};

// Reads a whole page. Never fails: whatever is not understood is skipped, an
// unclosed tag or comment ends the document.
HtmlDocument ParseHtml(std::wstring_view html);

// Block elements start a line of their own and span the whole width.
bool IsBlockTag(std::wstring_view lowerTag);

// Whether element is a positioned box (a block with position:absolute).
bool IsPositioned(const HtmlDocument& doc, int element);
// The nearest positioned element that holds element, itself included when
// includeSelf; -1 for the page's flow.
int PositionedAncestor(const HtmlDocument& doc, int element, bool includeSelf);

// A CSS colour: #rgb, #rrggbb or one of the basic names; nothing otherwise.
std::optional<std::uint32_t> ParseCssColor(std::wstring_view text);
// The style attribute's properties the plain engine knows; the rest is skipped.
HtmlStyle ParseInlineStyle(std::wstring_view text);

// Makes the links, the background pictures and the refresh target absolute against the page's own URL
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
