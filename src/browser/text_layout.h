// Line breaking of the plain engine's page text: paragraphs of runs are cut into
// pieces that fit a width, each piece remembering its link, so that drawing and
// hit-testing a click are simple loops. Platform-free; the window measures text.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/html_document.h"

namespace ovn::browser {

struct LayoutPiece {
    int x = 0, y = 0, width = 0, height = 0;
    std::wstring text;
    int link = -1;  // index into the document's links, -1 for plain text
    bool heading = false;
};

struct PageLayout {
    std::vector<LayoutPiece> pieces;
    int height = 0;  // of all lines together
};

// Width in pixels of a text drawn in the normal (or, for headings, the bold) font.
using MeasureText = std::function<int(std::wstring_view text, bool heading)>;

// Breaks between words and between any two East Asian characters; a word wider
// than the whole width is cut between characters. Every paragraph starts a line;
// an empty paragraph is a blank line. Widths below one pixel count as one.
PageLayout LayoutBlocks(const std::vector<HtmlBlock>& blocks, int width, int lineHeight, const MeasureText& measure);

// The link under a point of the laid-out page, or -1.
int LinkAt(const PageLayout& layout, int x, int y);

}  // namespace ovn::browser
