#include "skin/label_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ovn::skin;

namespace {

// Every character 10 pixels wide, except 'W' (25) and 'i' (4); a surrogate pair
// counts as one character.
int Width(std::wstring_view s) {
    int w = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const wchar_t c = s[i];
        if (c >= 0xDC00 && c <= 0xDFFF)
            continue;
        w += c == L'W' ? 25 : c == L'i' ? 4 : 10;
    }
    return w;
}

constexpr int kSample = 100;  // average character: 10
constexpr int kLh = 16;

std::vector<std::wstring> Texts(const LabelLayout& l) {
    std::vector<std::wstring> t;
    for (const auto& line : l.lines)
        t.push_back(line.text);
    return t;
}

}  // namespace

TEST(LabelDrawFlags, FollowTheStaticStyle) {
    EXPECT_EQ(LabelDrawFlags(0), 0x10u);
    EXPECT_EQ(LabelDrawFlags(0x1), 0x15u);
    EXPECT_EQ(LabelDrawFlags(0x2), 0x12u);
    EXPECT_EQ(LabelDrawFlags(0x3), 0x15u);  // centre wins over right
    EXPECT_EQ(LabelDrawFlags(0x4000), 0x8010u);
    EXPECT_EQ(LabelDrawFlags(0x8000), 0x4030u);
    EXPECT_EQ(LabelDrawFlags(0x200), 0x34u);
    EXPECT_EQ(LabelDrawFlags(0x100 | 0x2 | 0x4000), 0x8012u);  // SS_NOTIFY changes nothing
}

TEST(LabelLayout, ImageMovesTheTextAndIsCentred) {
    EXPECT_EQ(LabelTextArea(Rect{0, 0, 92, 16}, 0), (Rect{0, 0, 92, 16}));
    EXPECT_EQ(LabelTextArea(Rect{0, 0, 92, 16}, 14), (Rect{20, 0, 92, 16}));
    EXPECT_EQ(LabelImageTop(16, 16), 0);
    EXPECT_EQ(LabelImageTop(21, 16), 2);
    EXPECT_EQ(LabelImageTop(10, 16), -3);
}

TEST(LabelLayout, AddAccountQuestionBreaksAtLineFeedsAndWrapsLongLines) {
    // Three lines separated by CR LF in a 35-pixel area: three characters fit.
    const Rect area{5, 2, 40, 18};
    const LabelLayout l = LayoutLabelText(L"一二\r\n三四五六七\r\n八", area, kSample, kLh, 5, Width);
    EXPECT_EQ(Texts(l), (std::vector<std::wstring>{L"一二", L"三四五", L"六七", L"八"}));
    for (std::size_t i = 0; i < l.lines.size(); ++i) {
        const int top = 2 + static_cast<int>(i) * (kLh + 5);
        EXPECT_EQ(l.lines[i].rect, (Rect{5, top, 40, top + kLh})) << i;
    }
    EXPECT_EQ(l.neededHeight, 3 * (kLh + 5) + kLh);
}

TEST(LabelLayout, WrapsAtTheCharacterThatWouldOverflow) {
    const Rect area{0, 0, 30, kLh};
    // Exactly as wide as the area still fits.
    EXPECT_EQ(Texts(LayoutLabelText(L"abcd", area, kSample, kLh, 3, Width)),
              (std::vector<std::wstring>{L"abc", L"d"}));
    EXPECT_EQ(Texts(LayoutLabelText(L"abiic", area, kSample, kLh, 3, Width)),
              (std::vector<std::wstring>{L"abii", L"c"}));
    // A break right at the wrap point does not add another line.
    EXPECT_EQ(Texts(LayoutLabelText(L"abcd\nef", area, kSample, kLh, 3, Width)),
              (std::vector<std::wstring>{L"abc", L"d", L"ef"}));
}

TEST(LabelLayout, ForcedBreaksGrowALabelOneLineHigh) {
    const LabelLayout l = LayoutLabelText(L"a\nb\n\nc", Rect{0, 0, 92, kLh}, kSample, kLh, 3, Width);
    EXPECT_EQ(Texts(l), (std::vector<std::wstring>{L"a", L"b", L"", L"c"}));
    EXPECT_EQ(l.neededHeight, 3 * (kLh + 3) + kLh);
    EXPECT_EQ(LabelGrowth(kLh, l.neededHeight), 3 * (kLh + 3) + kLh);
    // A label already tall enough, or taller, keeps its height.
    EXPECT_EQ(LabelGrowth(l.neededHeight, l.neededHeight), 0);
    EXPECT_EQ(LabelGrowth(200, l.neededHeight), 0);

    const LabelLayout one = LayoutLabelText(L"", Rect{0, 0, 92, kLh}, kSample, kLh, 3, Width);
    EXPECT_EQ(one.lines.size(), 1u);
    EXPECT_EQ(one.neededHeight, kLh);
}

TEST(LabelLayout, CharacterWiderThanTheLineGetsALineOfItsOwn) {
    const Rect area{0, 0, 20, kLh};
    EXPECT_EQ(Texts(LayoutLabelText(L"aWbW", area, kSample, kLh, 3, Width)),
              (std::vector<std::wstring>{L"a", L"W", L"b", L"W"}));
    EXPECT_EQ(Texts(LayoutLabelText(L"WW\nab", area, kSample, kLh, 3, Width)),
              (std::vector<std::wstring>{L"W", L"W", L"ab"}));
    // Ending on one adds no empty line below it.
    EXPECT_EQ(LayoutLabelText(L"aW", area, kSample, kLh, 3, Width).neededHeight, kLh + 3 + kLh);
}

TEST(LabelLayout, SurrogatePairStaysTogether) {
    const std::wstring pair{wchar_t(0xD83D), wchar_t(0xDE00)};
    const LabelLayout l = LayoutLabelText(L"ab" + pair + L"c", Rect{0, 0, 25, kLh}, kSample, kLh, 3, Width);
    EXPECT_EQ(Texts(l), (std::vector<std::wstring>{L"ab", pair + L"c"}));
}

TEST(LabelLayout, NarrowerThanOneCharacterShowsNothingAndDoesNotGrow) {
    const LabelLayout l = LayoutLabelText(L"abc\ndef", Rect{20, 0, 29, kLh}, kSample, kLh, 3, Width);
    EXPECT_TRUE(l.lines.empty());
    EXPECT_EQ(LabelGrowth(kLh, l.neededHeight), 0);
    // One pixel more and it wraps a character per line.
    EXPECT_EQ(LayoutLabelText(L"ab", Rect{20, 0, 30, kLh}, kSample, kLh, 3, Width).lines.size(), 2u);
}
