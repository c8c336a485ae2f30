#include "browser/plain/text_layout.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

namespace {

// Every character 10 pixels wide, 12 in a heading.
int Measure(std::wstring_view s, bool heading) { return static_cast<int>(s.size()) * (heading ? 12 : 10); }

HtmlBlock Block(std::initializer_list<HtmlRun> runs, bool heading = false) {
    HtmlBlock b;
    b.runs = runs;
    b.heading = heading;
    return b;
}

std::vector<std::wstring> Lines(const PageLayout& layout) {
    std::vector<std::wstring> lines;
    int lastY = -1;
    for (const auto& p : layout.pieces) {
        if (p.y != lastY)
            lines.emplace_back();
        lastY = p.y;
        lines.back() += p.text;
    }
    return lines;
}

}  // namespace

TEST(TextLayout, WrapsAtWordsAndWideCharacters) {
    std::vector<HtmlBlock> blocks = {Block({{L"one two three four", -1}})};
    auto layout = LayoutBlocks(blocks, 100, 16, Measure);
    EXPECT_EQ(Lines(layout), (std::vector<std::wstring>{L"one two ", L"three four"}));
    EXPECT_EQ(layout.height, 32);

    // East Asian text breaks between any two characters.
    blocks = {Block({{L"\x4e2d\x6587\x7f51\x9875\x6e38\x620f", -1}})};
    EXPECT_EQ(Lines(LayoutBlocks(blocks, 40, 16, Measure)),
              (std::vector<std::wstring>{L"\x4e2d\x6587\x7f51\x9875", L"\x6e38\x620f"}));
    // ...but a comma never starts a line: it goes down with the character before it.
    blocks = {Block({{L"中文中，文", -1}})};
    EXPECT_EQ(Lines(LayoutBlocks(blocks, 30, 16, Measure)), (std::vector<std::wstring>{L"中文", L"中，文"}));

    // A word wider than the line is cut; a blank line stays.
    blocks = {Block({{L"abcdefghijkl", -1}}), Block({}), Block({{L"z", -1}})};
    layout = LayoutBlocks(blocks, 50, 16, Measure);
    EXPECT_EQ(Lines(layout), (std::vector<std::wstring>{L"abcde", L"fghij", L"kl", L"z"}));
    EXPECT_EQ(layout.pieces.back().y, 64);
    EXPECT_EQ(layout.height, 80);

    // No width at all still makes progress, one character a line.
    layout = LayoutBlocks({Block({{L"ab", -1}})}, 0, 16, Measure);
    EXPECT_EQ(Lines(layout), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(TextLayout, LinksAreHitWhereTheyAreDrawn) {
    std::vector<HtmlBlock> blocks = {Block({{L"Title", -1}}, true),
                                     Block({{L"go ", -1}, {L"Orvane now", 0}, {L" or ", -1}, {L"Sky", 1}})};
    auto layout = LayoutBlocks(blocks, 120, 20, Measure);
    // Line 2: "go Orvane " fits 100 px, "now" would end at 130.
    EXPECT_EQ(Lines(layout), (std::vector<std::wstring>{L"Title", L"go Orvane ", L"now or Sky"}));
    EXPECT_EQ(layout.pieces[0].width, 60);  // heading font
    EXPECT_EQ(LinkAt(layout, 5, 5), -1);
    EXPECT_EQ(LinkAt(layout, 25, 25), -1);    // "go "
    EXPECT_EQ(LinkAt(layout, 35, 25), 0);     // "Orvane"
    EXPECT_EQ(LinkAt(layout, 15, 45), 0);     // "now" on the next line
    EXPECT_EQ(LinkAt(layout, 75, 45), 1);     // "Sky"
    EXPECT_EQ(LinkAt(layout, 105, 45), -1);   // past the end of the line
    EXPECT_EQ(LinkAt(layout, 75, 61), -1);    // below the last line
}
