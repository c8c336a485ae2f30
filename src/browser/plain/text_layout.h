// Line breaking of the plain engine's page text: paragraphs of runs are cut into
// pieces that fit a width, each piece remembering its link, so that drawing and
// hit-testing a click are simple loops. Platform-free; the window measures text.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/plain/html_document.h"

namespace ovn::browser {

struct LayoutPiece {
    int x = 0, y = 0, width = 0, height = 0;
    std::wstring text;
    int link = -1;  // index into the document's links, -1 for plain text
    bool heading = false;
    int element = -1;  // the innermost element of the page it belongs to
    bool box = false;  // a sized element's box (no text)
    int container = -1;  // the positioned element it is in, -1: the page's flow
};

// Where a positioned element went: its padding box, and its content's corner and width.
struct PositionedBox {
    int element = -1;
    int x = 0, y = 0, width = 0, height = 0;
    int contentX = 0, contentY = 0, contentWidth = 0;
};

struct PageLayout {
    std::vector<LayoutPiece> pieces;
    int height = 0;  // of all lines together (with LayoutPage: down to the lowest positioned box)
    int flowHeight = 0;  // of the flow's lines alone
    std::vector<PositionedBox> positioned;  // in page order, a box before those inside it
};

// Width in pixels of a text drawn in the normal (or, for headings, the bold) font.
using MeasureText = std::function<int(std::wstring_view text, bool heading)>;

// Width and height of a sized element's box (a box run's element).
using MeasureBox = std::function<void(int element, int& width, int& height)>;

// Breaks between words and between any two East Asian characters, but never
// before the punctuation that closes what precedes it; a word wider than the
// whole width is cut between characters. Every paragraph starts a line;
// an empty paragraph is a blank line. Widths below one pixel count as one.
// A box is placed like a word of its width; a line is as tall as its tallest box.
PageLayout LayoutBlocks(const std::vector<HtmlBlock>& blocks, int width, int lineHeight, const MeasureText& measure,
                        const MeasureBox& measureBox = {});

// The link under a point of the laid-out page, or -1; where pieces overlap, the
// one drawn last (positioned content over the flow).
int LinkAt(const PageLayout& layout, int x, int y);

}  // namespace ovn::browser
