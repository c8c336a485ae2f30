#include "browser/plain/page_boxes.h"

#include <algorithm>
#include <map>

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

// Layer order: the flow first, then the positioned boxes in page order.
int LayerOf(const HtmlDocument& doc, int element) { return PositionedAncestor(doc, element, true); }

}  // namespace

PageLayout LayoutPage(const HtmlDocument& doc, int width, int lineHeight, const MeasureText& measure,
                      const MeasureBox& measureBox, int pageX, int pageY) {
    width = std::max(width, 1);
    std::map<int, std::vector<HtmlBlock>> groups;  // by container
    for (const auto& block : doc.blocks)
        groups[IsPositioned(doc, block.container) ? block.container : -1].push_back(block);

    PageLayout layout = LayoutBlocks(groups[-1], width, lineHeight, measure, measureBox);
    int bottom = layout.height;
    std::map<int, size_t> placed;  // element -> index in layout.positioned
    const int count = static_cast<int>(doc.elements.size());
    for (int e = 0; e < count; ++e) {
        if (!IsPositioned(doc, e))
            continue;
        const HtmlStyle& style = doc.elements[size_t(e)].style;
        // The containing block: the positioned ancestor's padding box, else the page,
        // whose margins either side of the flow are alike.
        int originX = pageX, originY = pageY, room = width - 2 * pageX;
        const int outer = PositionedAncestor(doc, e, false);
        if (auto it = placed.find(outer); it != placed.end()) {
            const PositionedBox& o = layout.positioned[it->second];
            originX = o.x;
            originY = o.y;
            room = o.width;
        }
        PositionedBox box;
        box.element = e;
        box.x = originX + style.left;
        box.y = originY + style.top;
        const HtmlEdges& pad = style.padding;
        box.contentWidth = std::max(1, style.width.value_or(room - style.left - pad.left - pad.right));
        box.contentX = box.x + pad.left;
        box.contentY = box.y + pad.top;
        PageLayout inner = LayoutBlocks(groups[e], box.contentWidth, lineHeight, measure, measureBox);
        for (auto& piece : inner.pieces) {
            piece.x += box.contentX;
            piece.y += box.contentY;
            piece.container = e;
            layout.pieces.push_back(std::move(piece));
        }
        box.width = box.contentWidth + pad.left + pad.right;
        box.height = std::max(0, style.height.value_or(inner.height)) + pad.top + pad.bottom;
        bottom = std::max(bottom, box.y + box.height);
        placed[e] = layout.positioned.size();
        layout.positioned.push_back(box);
    }
    layout.height = std::max(bottom, 0);
    return layout;
}

std::vector<ElementBox> ElementBoxes(const HtmlDocument& doc, const PageLayout& layout, int width) {
    std::vector<ElementBox> boxes(doc.elements.size());
    const int count = static_cast<int>(doc.elements.size());
    for (const auto& p : layout.pieces) {
        if (p.width <= 0 || p.height <= 0)
            continue;
        // Depth bounds the walk even if a parent index were ever wrong.
        for (int e = p.element, guard = 0; e >= 0 && e < count && guard <= count;
             e = doc.elements[size_t(e)].parent, ++guard) {
            if (IsPositioned(doc, e))
                break;  // exactly its own box, which does not grow what holds it
            // A sized box is exactly its own size, whatever is written inside it.
            if (doc.elements[size_t(e)].sizedBox && !(p.box && p.element == e))
                continue;
            Unite(boxes[size_t(e)], p.x, p.y, p.x + p.width, p.y + p.height);
        }
    }
    std::map<int, const PositionedBox*> positioned;
    for (const auto& box : layout.positioned)
        positioned[box.element] = &box;
    for (int e = 0; e < count; ++e) {
        auto& box = boxes[size_t(e)];
        const auto& element = doc.elements[size_t(e)];
        if (e == doc.body || element.tag == L"html") {
            box = {0, 0, std::max(width, 1), std::max(layout.height, 1)};
        } else if (auto it = positioned.find(e); it != positioned.end()) {
            box = {it->second->x, it->second->y, it->second->width, it->second->height};
        } else if (IsBlockTag(element.tag) && box.width > 0) {
            auto holder = positioned.find(PositionedAncestor(doc, e, false));
            box.left = holder == positioned.end() ? 0 : holder->second->contentX;
            box.width = holder == positioned.end() ? std::max(width, 1) : holder->second->contentWidth;
        }
    }
    return boxes;
}

int ElementAt(const HtmlDocument& doc, const std::vector<ElementBox>& boxes, int x, int y) {
    int best = -1, bestLayer = -2, bestDepth = -1;
    for (size_t e = 0; e < boxes.size() && e < doc.elements.size(); ++e) {
        const auto& box = boxes[e];
        if (box.width <= 0 || box.height <= 0 || !BoxContains(box, x, y))
            continue;
        const int layer = LayerOf(doc, static_cast<int>(e));
        const int depth = doc.elements[e].depth;
        if (layer > bestLayer || (layer == bestLayer && depth >= bestDepth)) {
            best = static_cast<int>(e);
            bestLayer = layer;
            bestDepth = depth;
        }
    }
    return best >= 0 ? best : doc.body;
}

std::optional<std::uint32_t> TextColor(const HtmlDocument& doc, int element) {
    const int count = static_cast<int>(doc.elements.size());
    for (int e = element, guard = 0; e >= 0 && e < count && guard <= count;
         e = doc.elements[size_t(e)].parent, ++guard) {
        const HtmlElement& el = doc.elements[size_t(e)];
        if (el.style.color)
            return el.style.color;
        if (el.tag == L"a" && el.Attribute(L"href"))
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace ovn::browser
