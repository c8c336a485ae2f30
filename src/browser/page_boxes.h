// Where the elements of a page laid out by the plain engine are, and which
// element a point is over: the boxes that page events and sprite buttons use.
// Platform-free; coordinates are those of the layout (the page's content area).
#pragma once
#include <vector>

#include "browser/dhtml_rules.h"
#include "browser/html_document.h"
#include "browser/text_layout.h"

namespace ovn::browser {

// One box per element of doc (width 0: it has nothing drawn). An element's box
// holds everything drawn for it and inside it; a block element spans the whole
// width; the body covers the whole page.
std::vector<ElementBox> ElementBoxes(const HtmlDocument& doc, const PageLayout& layout, int width);

// The innermost element whose box holds the point (the later one of equals);
// the body when no other does, -1 for a page without elements.
int ElementAt(const HtmlDocument& doc, const std::vector<ElementBox>& boxes, int x, int y);

}  // namespace ovn::browser
