// A page from the portal or any site the pages link to: parsed, made absolute,
// laid out and hit-tested as the plain engine does. Every index the document
// hands out must point inside it, and laid-out text must stay within its width.
#include "browser/plain/html_document.h"
#include "browser/plain/page_boxes.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HtmlDocument doc = ParseHtml(ovn::fuzz::Text(data, size));
    const int elements = static_cast<int>(doc.elements.size());
    const int links = static_cast<int>(doc.links.size());
    FUZZ_CHECK(doc.body >= 0 && doc.body < elements);
    for (int i = 0; i < elements; ++i) {
        const HtmlElement& e = doc.elements[i];
        FUZZ_CHECK(e.parent < i);  // a parent comes before its children
        FUZZ_CHECK(e.link >= -1 && e.link < links);
    }
    for (const HtmlLink& link : doc.links)
        FUZZ_CHECK(link.element >= -1 && link.element < elements);
    for (const HtmlBlock& block : doc.blocks) {
        FUZZ_CHECK(block.container >= -1 && block.container < elements);
        for (const HtmlRun& run : block.runs) {
            FUZZ_CHECK(run.link >= -1 && run.link < links);
            FUZZ_CHECK(run.element >= -1 && run.element < elements);
            FUZZ_CHECK(run.box >= -1 && run.box < elements);
        }
    }
    (void)VisibleText(doc);
    ResolveDocumentUrls(doc, L"http://www.example.com/dir/page.html?q=1");

    const int width = 300;
    auto measure = [](std::wstring_view text, bool heading) { return ovn::fuzz::TextWidth(text) + (heading ? 1 : 0); };
    auto measureBox = [&](int element, int& w, int& h) {
        const HtmlStyle& s = doc.elements[element].style;
        w = s.width.value_or(0);
        h = s.height.value_or(0);
    };
    PageLayout layout = LayoutPage(doc, width, 16, measure, measureBox);
    for (const LayoutPiece& piece : layout.pieces) {
        FUZZ_CHECK(piece.link >= -1 && piece.link < links);
        FUZZ_CHECK(piece.element >= -1 && piece.element < elements);
        // Text in the page's flow is cut to the width, unless one character alone is
        // wider; only the blanks (spaces and tabs) at a line's end may hang past it.
        std::wstring_view text = piece.text;
        while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
            text.remove_suffix(1);
        if (!piece.box && piece.container == -1 && text.size() > 2)
            FUZZ_CHECK(piece.x + measure(text, piece.heading) <= width);
    }
    std::vector<ElementBox> boxes = ElementBoxes(doc, layout, width);
    FUZZ_CHECK(boxes.size() == doc.elements.size());
    for (int y = 0; y < 64; y += 8) {
        int link = LinkAt(layout, y * 4, y);
        FUZZ_CHECK(link >= -1 && link < links);
        int element = ElementAt(doc, boxes, y * 4, y);
        FUZZ_CHECK(element >= -1 && element < elements);
    }
    for (int i = 0; i < elements; ++i)
        (void)TextColor(doc, i);
    return 0;
}
