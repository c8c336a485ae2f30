#include "browser/page_boxes.h"

#include <algorithm>

namespace ovn::browser {

namespace {

void Unite(ElementBox& box, int left, int top, int right, int bottom) {
    if (box.width <= 0 || box.height <= 0) {
        box = {left, top, right - left, bottom - top};
        return;
    }
    int l = std::min(box.left, left), t = std::min(box.top, top);
    int r = std::max(box.left + box.width, right), b = std::max(box.top + box.height, bottom);
    box = {l, t, r - l, b - t};
}

}  // namespace

std::vector<ElementBox> ElementBoxes(const HtmlDocument& doc, const PageLayout& layout, int width) {
    std::vector<ElementBox> boxes(doc.elements.size());
    const int count = static_cast<int>(doc.elements.size());
    for (const auto& p : layout.pieces) {
        if (p.width <= 0 || p.height <= 0)
            continue;
        // Depth bounds the walk even if a parent index were ever wrong.
        for (int e = p.element, guard = 0; e >= 0 && e < count && guard <= count;
             e = doc.elements[size_t(e)].parent, ++guard) {
            // A sized box is exactly its own size, whatever is written inside it.
            if (doc.elements[size_t(e)].sizedBox && !(p.box && p.element == e))
                continue;
            Unite(boxes[size_t(e)], p.x, p.y, p.x + p.width, p.y + p.height);
        }
    }
    for (int e = 0; e < count; ++e) {
        auto& box = boxes[size_t(e)];
        const auto& element = doc.elements[size_t(e)];
        if (e == doc.body || element.tag == L"html") {
            box = {0, 0, std::max(width, 1), std::max(layout.height, 1)};
        } else if (IsBlockTag(element.tag) && box.width > 0) {
            box.left = 0;
            box.width = std::max(width, 1);
        }
    }
    return boxes;
}

int ElementAt(const HtmlDocument& doc, const std::vector<ElementBox>& boxes, int x, int y) {
    int best = -1, bestDepth = -1;
    for (size_t e = 0; e < boxes.size() && e < doc.elements.size(); ++e) {
        const auto& box = boxes[e];
        if (box.width <= 0 || box.height <= 0 || !BoxContains(box, x, y))
            continue;
        if (doc.elements[e].depth >= bestDepth) {
            best = static_cast<int>(e);
            bestDepth = doc.elements[e].depth;
        }
    }
    return best >= 0 ? best : doc.body;
}

}  // namespace ovn::browser
