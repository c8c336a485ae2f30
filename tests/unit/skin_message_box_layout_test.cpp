#include "skin/message_box_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using namespace ovn::skin;

TEST(MessageBoxLayout, TwoButtonExample260x128) {
    const auto l = LayoutMessageBox(BoxYesNo, 200, 12, 1, Size{228, 23});
    EXPECT_EQ(l.window, (Size{260, 128}));
    EXPECT_EQ(l.buttonCount, 2);
    EXPECT_EQ(l.button1, (Rect{63, 75, 120, 98}));
    EXPECT_EQ(l.button2, (Rect{140, 75, 197, 98}));
    EXPECT_EQ(l.result1, 6);
    EXPECT_EQ(l.result2, 7);
    EXPECT_EQ(std::wstring(l.caption1), L"是");
    EXPECT_EQ(std::wstring(l.caption2), L"否");
    EXPECT_EQ(MessageLineRect(260, 200, 12, 0), (Rect{30, 55, 230, 67}));
    // Eight pixels between the last line and the buttons.
    EXPECT_EQ(l.button1.top - MessageLineRect(260, 200, 12, 0).bottom, 8);

    const auto oc = LayoutMessageBox(BoxOkCancel, 200, 12, 1, Size{228, 23});
    EXPECT_EQ(oc.result1, 1);
    EXPECT_EQ(oc.result2, 2);
    EXPECT_EQ(std::wstring(oc.caption1), L"确定");
    EXPECT_EQ(std::wstring(oc.caption2), L"取消");
}

TEST(MessageBoxLayout, NarrowTextSingleButtonAndLines) {
    // A text narrower than two buttons: the box is 2 * 57 + 60 wide.
    const auto ok = LayoutMessageBox(BoxOk, 50, 24, 2, Size{228, 23});
    EXPECT_EQ(ok.window, (Size{174, 24 + 6 + 90 + 23}));
    EXPECT_EQ(ok.buttonCount, 1);
    EXPECT_EQ(ok.button1, (Rect{58, 90, 115, 113}));
    EXPECT_EQ(ok.result1, 1);
    EXPECT_EQ(std::wstring(ok.caption1), L"确定");
    // Unknown types behave as OK; closing answers Cancel.
    EXPECT_EQ(LayoutMessageBox(3, 0, 0, 1, Size{228, 23}).buttonCount, 1);
    EXPECT_EQ(MessageBoxResult(0, 2), 2);
    // Every text keeps its 30-pixel margins: the box widens as soon as the
    // text needs more than the buttons' room, not only past 174 pixels.
    EXPECT_EQ(LayoutMessageBox(BoxOk, 114, 12, 1, Size{228, 23}).window.cx, 174);
    EXPECT_EQ(LayoutMessageBox(BoxOk, 115, 12, 1, Size{228, 23}).window.cx, 175);
    for (int tw : {115, 160, 174, 175}) {
        const int cw = LayoutMessageBox(BoxYesNo, tw, 12, 1, Size{228, 23}).window.cx;
        EXPECT_EQ(MessageLineRect(cw, tw, 12, 0).left, 30) << tw;
    }

    // Second line sits lh + 3 below the first, centred block.
    EXPECT_EQ(MessageLineRect(301, 100, 12, 1), (Rect{100, 70, 200, 82}));
}

TEST(MessageLines, CountingAndSplitting) {
    EXPECT_EQ(CountMessageLines(L""), 1);
    EXPECT_EQ(CountMessageLines(L"a"), 1);
    EXPECT_EQ(CountMessageLines(L"a\nb\n"), 3);
    using V = std::vector<std::wstring_view>;
    EXPECT_EQ(SplitMessageLines(L"a\nb\n"), (V{L"a", L"b"}));
    EXPECT_EQ(SplitMessageLines(L"a\n\nb"), (V{L"a", L"", L"b"}));
    EXPECT_EQ(SplitMessageLines(L"one"), (V{L"one"}));
    EXPECT_EQ(SplitMessageLines(L""), (V{L""}));
    EXPECT_EQ(SplitMessageLines(L"x\r\ny"), (V{L"x", L"y"}));
}

namespace {

// A font where every ASCII character is 6 pixels wide and everything else 12
// (a surrogate pair 6 + 6), so rows can be checked by counting.
int FakeWidth(std::wstring_view s) {
    int w = 0;
    for (wchar_t c : s)
        w += c < 0x80 || (c >= 0xD800 && c <= 0xDFFF) ? 6 : 12;
    return w;
}

std::wstring Joined(const std::vector<std::wstring>& rows) {
    std::wstring all;
    for (const auto& r : rows)
        all += r;
    return all;
}

constexpr Size kStrip{228, 23};  // 57 x 23 buttons
constexpr int kLh = 13;          // rows of 16 pixels with their gap

void ExpectInside(const FittedMessageBox& f, Size wa) {
    EXPECT_LE(f.layout.window.cx, wa.cx);
    EXPECT_LE(f.layout.window.cy, wa.cy);
    EXPECT_LE(f.text.width, wa.cx - 60);
    for (const Rect& b : {f.layout.button1, f.layout.button2}) {
        EXPECT_GE(b.left, 0);
        EXPECT_LE(b.right, f.layout.window.cx);
        EXPECT_LE(b.bottom, f.layout.window.cy);
    }
    // The last row still ends above the buttons.
    const int last = static_cast<int>(f.text.rows.size()) - 1;
    EXPECT_LE(MessageLineRect(f.layout.window.cx, f.text.width, kLh, last).bottom + 8,
              f.layout.button1.top);
}

}  // namespace

TEST(MessageBoxFit, TextsThatFitKeepTheirLayout) {
    const Size wa{1280, 1024};
    for (const wchar_t* text : {L"窗口即将关闭，确定要退出游戏？", L"第一行\n第二行比第一行更长一些\n",
                                L"a\n\nb", L"", L"\n", L"x\r\ny"}) {
        const auto f = FitMessageBox(BoxYesNo, text, FakeWidth, kLh, kStrip, wa);
        int widest = 0;
        std::vector<std::wstring> pieces;
        for (auto p : SplitMessageLines(text)) {
            widest = std::max(widest, FakeWidth(p));
            pieces.emplace_back(p);
        }
        const int lines = CountMessageLines(text);
        EXPECT_EQ(f.text.rows, pieces) << text;
        EXPECT_EQ(f.text.lines, lines) << text;
        EXPECT_FALSE(f.text.cut);
        const auto today = LayoutMessageBox(BoxYesNo, widest, kLh * lines, lines, kStrip);
        EXPECT_EQ(f.layout.window, today.window) << text;
        EXPECT_EQ(f.layout.button1, today.button1);
        EXPECT_EQ(f.layout.button2, today.button2);
    }
    // No work area known: no limit at all.
    const std::wstring wide(1000, L'w');
    const auto free = FitMessageBox(BoxOk, wide, FakeWidth, kLh, kStrip, Size{0, 0});
    EXPECT_EQ(free.text.rows, std::vector<std::wstring>{wide});
    EXPECT_EQ(free.layout.window.cx, 6060);
}

TEST(MessageBoxFit, WidthLimitIsTheWorkAreaLessTheMargins) {
    // 200 characters, 1200 pixels: exactly the room of a 1260-pixel work area.
    const std::wstring text(200, L'x');
    const auto at = FitMessageBox(BoxOk, text, FakeWidth, kLh, kStrip, Size{1260, 600});
    EXPECT_EQ(at.text.rows.size(), 1u);
    EXPECT_EQ(at.layout.window.cx, 1260);
    // One pixel less wraps the last character onto a second row.
    const auto over = FitMessageBox(BoxOk, text, FakeWidth, kLh, kStrip, Size{1259, 600});
    ASSERT_EQ(over.text.rows.size(), 2u);
    EXPECT_EQ(over.text.rows[0].size(), 199u);
    EXPECT_EQ(over.text.rows[1], L"x");
    EXPECT_EQ(over.text.width, 1194);
    EXPECT_EQ(over.layout.window, (Size{1254, 2 * 16 + 90 + 23}));
    ExpectInside(over, Size{1259, 600});
}

TEST(MessageBoxFit, LongLineWithoutBlanksBreaksAnywhere) {
    const Size wa{1280, 1024};  // rows up to 1220 pixels: 203 characters
    const std::wstring text(3000, L'x');
    const auto f = FitMessageBox(BoxYesNo, text, FakeWidth, kLh, kStrip, wa);
    ASSERT_EQ(f.text.rows.size(), 15u);
    for (std::size_t i = 0; i + 1 < f.text.rows.size(); ++i)
        EXPECT_EQ(f.text.rows[i].size(), 203u);
    EXPECT_EQ(Joined(f.text.rows), text);  // nothing lost, nothing cut
    EXPECT_FALSE(f.text.cut);
    EXPECT_EQ(f.layout.window, (Size{1278, 15 * 16 + 90 + 23}));
    ExpectInside(f, wa);

    // Chinese has no blanks either: it breaks between any two characters, but a
    // closing mark stays with the character before it.
    std::wstring zh;
    for (int i = 0; i < 300; ++i)
        zh += L"中文，";
    const auto c = FitMessageText(zh, FakeWidth, 100, 0);  // 8 characters a row
    EXPECT_EQ(c.rows[0], L"中文，中文，中");
    EXPECT_EQ(c.rows[1], L"文，中文，中文，");
    EXPECT_EQ(Joined(c.rows), zh);
    for (const auto& r : c.rows)
        EXPECT_LE(FakeWidth(r), 100);
}

TEST(MessageBoxFit, WrapsAtBlanksAndCjkEdges) {
    // Rows of at most 60 pixels: 10 ASCII characters.
    auto rows = [](std::wstring_view t) { return FitMessageText(t, FakeWidth, 60, 0).rows; };
    using V = std::vector<std::wstring>;
    EXPECT_EQ(rows(L"hello world again"), (V{L"hello", L"world", L"again"}));
    EXPECT_EQ(rows(L"one two    three"), (V{L"one two", L"three"}));  // blanks at a break go
    EXPECT_EQ(rows(L"  indented line"), (V{L"  indented", L"line"}));  // a line's own indent stays
    // A word longer than a row moves to its own rows and breaks anywhere.
    EXPECT_EQ(rows(L"a abcdefghijklmn"), (V{L"a", L"abcdefghij", L"klmn"}));
    // Mixed: the question names a long label without blanks.
    const std::wstring label(25, L'q');
    EXPECT_EQ(rows(L"退出：" + label + L" ?"),
              (V{L"退出：", std::wstring(10, L'q'), std::wstring(10, L'q'), L"qqqqq ?"}));
    // A surrogate pair (a character of the supplementary planes) is never split.
    EXPECT_EQ(rows(L"abcdefghi\xD83D\xDE00z"), (V{L"abcdefghi", L"\xD83D\xDE00z"}));
    // A character wider than a row still makes progress, one a row.
    EXPECT_EQ(FitMessageText(L"中中", FakeWidth, 5, 0).rows, (V{L"中", L"中"}));
    // Explicit breaks stay; only the long line wraps.
    EXPECT_EQ(rows(L"short\nthis is too long\n"), (V{L"short", L"this is", L"too long"}));
    EXPECT_EQ(FitMessageText(L"short\nthis is too long\n", FakeWidth, 60, 0).lines, 4);
}

TEST(MessageBoxFit, TallTextIsCutWithAnEllipsis) {
    const Size wa{1280, 1024};  // (1024 - 90 - 23) / 16: 56 rows
    std::wstring text;
    for (int i = 1; i <= 200; ++i)
        text += L"line " + std::to_wstring(i) + L"\n";
    const auto f = FitMessageBox(BoxOk, text, FakeWidth, kLh, kStrip, wa);
    ASSERT_EQ(f.text.rows.size(), 56u);
    EXPECT_TRUE(f.text.cut);
    EXPECT_EQ(f.text.lines, 56);
    EXPECT_EQ(f.text.rows[0], L"line 1");
    EXPECT_EQ(f.text.rows[55], L"line 56\u2026");
    EXPECT_EQ(f.layout.window.cy, 56 * 16 + 90 + 23);
    ExpectInside(f, wa);

    // Exactly as many rows as fit: nothing cut. The undrawn row of a trailing
    // break keeps its room only while there is room.
    auto rowsOf = [](int n, bool trailingBreak) {
        std::wstring t;
        for (int i = 0; i < n; ++i)
            t += (i ? L"\n" : L"") + std::wstring(L"r");
        return trailingBreak ? t + L"\n" : t;
    };
    auto at = FitMessageText(rowsOf(56, false), FakeWidth, 1220, 56);
    EXPECT_FALSE(at.cut);
    EXPECT_EQ(at.rows.back(), L"r");
    at = FitMessageText(rowsOf(56, true), FakeWidth, 1220, 56);
    EXPECT_FALSE(at.cut);
    EXPECT_EQ(at.lines, 56);
    EXPECT_EQ(FitMessageText(rowsOf(55, true), FakeWidth, 1220, 56).lines, 56);
    const auto over = FitMessageText(rowsOf(57, false), FakeWidth, 1220, 56);
    EXPECT_TRUE(over.cut);
    EXPECT_EQ(over.rows.size(), 56u);
    EXPECT_EQ(over.rows.back(), L"r\u2026");

    // A full last row gives up characters (and the blanks before them) for the "…".
    const auto full = FitMessageText(L"abcdefgh ijklmnop", FakeWidth, 54, 1);
    EXPECT_EQ(full.rows, std::vector<std::wstring>{L"abcdefg\u2026"});
    EXPECT_LE(full.width, 54);
    EXPECT_EQ(FitMessageText(L"abcdefgh ijkl", FakeWidth, 60, 1).rows,
              std::vector<std::wstring>{L"abcdefgh\u2026"});
}

TEST(MessageBoxFit, MixedLongTextStaysInsideAndMeasuresLittle) {
    const Size wa{800, 600};
    std::wstring text = L"确定要退出账号：" + std::wstring(1024, L'n') + L" ?\n";
    for (int i = 0; i < 10; ++i)
        text += L"第" + std::to_wstring(i) + L"行 with some words in it\n";
    text += std::wstring(100000, L'z') + L"\nmore";
    std::size_t longest = 0;
    auto width = [&](std::wstring_view s) {
        longest = std::max(longest, s.size());
        return FakeWidth(s);
    };
    const auto f = FitMessageBox(BoxYesNo, text, width, kLh, kStrip, wa);
    ExpectInside(f, wa);
    EXPECT_TRUE(f.text.cut);
    EXPECT_EQ(f.text.rows[0], L"确定要退出账号：");
    EXPECT_EQ(f.text.rows[1], std::wstring(123, L'n'));  // (800 - 60) / 6
    EXPECT_EQ(f.text.rows[9], std::wstring(1024 - 8 * 123, L'n') + L" ?");
    EXPECT_EQ(f.text.rows[10], L"第0行 with some words in it");
    EXPECT_EQ(f.text.rows.size(), 30u);  // (600 - 90 - 23) / 16
    EXPECT_EQ(f.text.rows.back(), std::wstring(121, L'z') + L"\u2026");
    // The 100 000-character line past the cut is never measured whole.
    EXPECT_LT(longest, 2000u);
}
