// Where the elements of a page laid out by the plain engine are, and which
// element a point is over: the boxes that page events and sprite buttons use.
// Platform-free; coordinates are those of the layout (the page's content area).
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "browser/dhtml_rules.h"
#include "browser/plain/html_document.h"
#include "browser/plain/text_layout.h"

namespace ovn::browser {

// Lays out the whole page: the flow across width, then every positioned box at its
// left and top (pixels) from its positioned ancestor's corner, or from the page's
// corner (pageX, pageY in layout coordinates) for one in the flow; inside it, its
// content across its width. A box without a width takes the room right of its
// left; one without a height is as tall as its content. Pieces keep their container.
PageLayout LayoutPage(const HtmlDocument& doc, int width, int lineHeight, const MeasureText& measure,
                      const MeasureBox& measureBox, int pageX = 0, int pageY = 0);

// One box per element of doc (width 0: it has nothing drawn). An element's box
// holds everything drawn for it and inside it, up to a positioned box, which is
// exactly its own; a block element spans the whole width of the flow or of the
// positioned box's content it is in; the body covers the whole page.
std::vector<ElementBox> ElementBoxes(const HtmlDocument& doc, const PageLayout& layout, int width);

// The element whose box holds the point: the one in the positioned box drawn last
// (positioned content lies over the flow), there the innermost (the later one of
// equals); the body when no other does, -1 for a page without elements.
int ElementAt(const HtmlDocument& doc, const std::vector<ElementBox>& boxes, int x, int y);

// The colour a piece of text of element is drawn in: the nearest colour given on it
// or around it, but not from outside a link (a link has its own); nothing when none.
std::optional<std::uint32_t> TextColor(const HtmlDocument& doc, int element);

}  // namespace ovn::browser
