#include "browser/plain/page_boxes.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

namespace {

int Measure(std::wstring_view s, bool) { return static_cast<int>(s.size()) * 10; }

struct Page {
    HtmlDocument doc;
    PageLayout layout;
    std::vector<ElementBox> boxes;

    Page(const wchar_t* html, int width, int pageX = 0, int pageY = 0) : doc(ParseHtml(html)) {
        auto box = [this](int e, int& w, int& h) {
            w = doc.elements[size_t(e)].style.width.value_or(0);
            h = doc.elements[size_t(e)].style.height.value_or(0);
        };
        layout = LayoutPage(doc, width, 16, Measure, box, pageX, pageY);
        boxes = ElementBoxes(doc, layout, width);
    }
    int Find(std::wstring_view id) const {
        for (size_t i = 0; i < doc.elements.size(); ++i)
            if (const auto* v = doc.elements[i].Attribute(L"id"); v && *v == id)
                return static_cast<int>(i);
        return -1;
    }
    ElementBox Box(std::wstring_view id) const { return boxes[size_t(Find(id))]; }
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

TEST(PageBoxes, PositionedBoxesSitOnThePageAndHoldTheirContent) {
    // The page's corner is 8 px above and left of the layout's origin (the body's margin).
    Page page(L"<body id=body><p id=flow style='margin-bottom:6px'>ab</p><p id=next>cd</p>"
              L"<div id=panel style='position:absolute;left:100px;top:50px;width:60px;height:200px;"
              L"padding:10px 4px'><p id=head>xx</p><p id=second style='margin-top:5px'>yyyy yy</p>"
              L"<div id=card style='position:absolute;left:2px;top:150px;width:30px;padding:3px'>"
              L"<a id=go href='app://go'>g</a></div></div>"
              L"<div id=corner style='position:absolute;left:300px;top:20px'><a id=btn href='app://x' "
              L"style='width:20px;height:30px'></a></div></body>",
              400, -8, -8);
    // The flow ignores the boxes; a margin leaves its gap.
    EXPECT_EQ(page.Box(L"flow").top, 0);
    EXPECT_EQ(page.Box(L"next").top, 22);
    // The panel's padding box, exactly as given, whatever is in it.
    ElementBox panel = page.Box(L"panel");
    EXPECT_EQ(panel.left, 92);
    EXPECT_EQ(panel.top, 42);
    EXPECT_EQ(panel.width, 68);
    EXPECT_EQ(panel.height, 220);
    // Its blocks span its content and wrap in its width (60 px: six characters).
    ElementBox head = page.Box(L"head");
    EXPECT_EQ(head.left, 96);
    EXPECT_EQ(head.top, 52);
    EXPECT_EQ(head.width, 60);
    ElementBox second = page.Box(L"second");
    EXPECT_EQ(second.top, 52 + 16 + 5);
    EXPECT_EQ(second.height, 32);
    // A box inside a box: from the outer one's padding box; without a height, as tall
    // as its content; its link where it is drawn.
    ElementBox card = page.Box(L"card");
    EXPECT_EQ(card.left, 94);
    EXPECT_EQ(card.top, 192);
    EXPECT_EQ(card.width, 36);
    EXPECT_EQ(card.height, 22);
    ElementBox go = page.Box(L"go");
    EXPECT_EQ(go.left, 97);
    EXPECT_EQ(go.top, 195);
    EXPECT_EQ(LinkAt(page.layout, 98, 196), 0);
    // Without a width: the room right of its left; the sized box inside it.
    EXPECT_EQ(page.Box(L"corner").width, 8 + 400 + 8 - 300);
    ElementBox btn = page.Box(L"btn");
    EXPECT_EQ(btn.left, 292);
    EXPECT_EQ(btn.top, 12);
    EXPECT_EQ(btn.width, 20);
    EXPECT_EQ(LinkAt(page.layout, 292, 12), 1);
    // The page is as tall as its lowest box.
    EXPECT_EQ(page.layout.height, 42 + 220);
    EXPECT_EQ(page.layout.flowHeight, 38);
    EXPECT_EQ(page.Box(L"body").height, 262);
}

TEST(PageBoxes, PositionedContentLiesOverTheFlow) {
    // The box covers the flow's link; the box's own link is above the flow's.
    Page page(L"<body id=body><p id=p><a id=under href='app://under'>under under</a></p>"
              L"<div id=box style='position:absolute;left:0;top:0;width:50px;height:40px'>"
              L"<a id=over href='app://over'>o</a></div></body>",
              400);
    EXPECT_EQ(page.IdAt(5, 5), L"over");
    EXPECT_EQ(page.IdAt(20, 5), L"box");  // the box, not the flow's link below it
    EXPECT_EQ(page.IdAt(60, 5), L"under");
    EXPECT_EQ(page.IdAt(20, 30), L"box");
    EXPECT_EQ(page.IdAt(200, 30), L"body");
    EXPECT_EQ(LinkAt(page.layout, 5, 5), 1);
    EXPECT_EQ(LinkAt(page.layout, 60, 5), 0);
}

TEST(PageBoxes, TextColourIsInheritedButNotIntoLinks) {
    Page page(L"<body id=body style='color:#111111'><div id=d style='color:#222222'><p id=p>x<b id=b>y</b>"
              L"<a id=plain href='u'>l<i id=i>m</i></a><a id=gold href='v' style='color:#333333'>n<i id=j>o</i></a>"
              L"</p></div><p id=q>z</p></body>",
              400);
    EXPECT_EQ(TextColor(page.doc, page.Find(L"b")), 0x222222u);
    EXPECT_EQ(TextColor(page.doc, page.Find(L"q")), 0x111111u);
    EXPECT_FALSE(TextColor(page.doc, page.Find(L"i")));  // the link's own colour
    EXPECT_EQ(TextColor(page.doc, page.Find(L"j")), 0x333333u);
    EXPECT_FALSE(TextColor(ParseHtml(L"<p id=p>x</p>"), 1));
}
