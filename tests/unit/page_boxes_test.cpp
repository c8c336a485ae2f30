#include "browser/page_boxes.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

namespace {

int Measure(std::wstring_view s, bool) { return static_cast<int>(s.size()) * 10; }

struct Page {
    HtmlDocument doc;
    PageLayout layout;
    std::vector<ElementBox> boxes;

    Page(const wchar_t* html, int width) : doc(ParseHtml(html)) {
        auto box = [this](int e, int& w, int& h) {
            w = doc.elements[size_t(e)].style.width.value_or(0);
            h = doc.elements[size_t(e)].style.height.value_or(0);
        };
        layout = LayoutBlocks(doc.blocks, width, 16, Measure, box);
        boxes = ElementBoxes(doc, layout, width);
    }
    int Find(std::wstring_view id) const {
        for (size_t i = 0; i < doc.elements.size(); ++i)
            if (const auto* v = doc.elements[i].Attribute(L"id"); v && *v == id)
                return static_cast<int>(i);
        return -1;
    }
    std::wstring IdAt(int x, int y) const {
        int e = ElementAt(doc, boxes, x, y);
        const auto* id = e >= 0 ? doc.elements[size_t(e)].Attribute(L"id") : nullptr;
        return id ? *id : L"?";
    }
};

}  // namespace

TEST(PageBoxes, SizedBoxesSitInTheLineAndMakeItTaller) {
    // "ab " is 30 wide, then the 80 x 30 button, then "cd".
    Page page(L"<body id=body><div id=d><p id=p>ab <a id=btn class=button href='app://x' "
              L"style='width:80px;height:30px'></a>cd</p><p id=q>next</p></div></body>",
              400);
    ElementBox button = page.boxes[size_t(page.Find(L"btn"))];
    EXPECT_EQ(button.left, 30);
    EXPECT_EQ(button.top, 0);
    EXPECT_EQ(button.width, 80);
    EXPECT_EQ(button.height, 30);
    // The next paragraph starts below the tall line, not one text line down.
    ElementBox q = page.boxes[size_t(page.Find(L"q"))];
    EXPECT_EQ(q.top, 30);
    // Blocks span the width; the div holds both paragraphs.
    ElementBox d = page.boxes[size_t(page.Find(L"d"))];
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.width, 400);
    EXPECT_EQ(d.top, 0);
    EXPECT_EQ(d.top + d.height, 46);
}

TEST(PageBoxes, HitsTheInnermostElementElseTheBody) {
    Page page(L"<body id=body><div id=d><p id=p>ab <a id=btn class=button href='app://x' "
              L"style='width:80px;height:30px'><span id=in>z</span></a>cd <b id=b>bold</b></p></div></body>",
              400);
    EXPECT_EQ(page.IdAt(30, 0), L"btn");    // the button's first pixel
    EXPECT_EQ(page.IdAt(109, 29), L"btn");  // and its last
    EXPECT_EQ(page.IdAt(111, 1), L"in");    // the text written inside it is drawn after it
    EXPECT_EQ(page.IdAt(5, 5), L"p");       // plain text: its paragraph
    EXPECT_EQ(page.IdAt(390, 5), L"p");     // right of the text, still the paragraph's line
    EXPECT_EQ(page.IdAt(5, 300), L"body");  // below everything
    EXPECT_EQ(page.IdAt(-5, 5), L"body");
    int b = page.Find(L"b");
    const ElementBox& box = page.boxes[size_t(b)];
    EXPECT_EQ(page.IdAt(box.left + 1, box.top + 1), L"b");
}
