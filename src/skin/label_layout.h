// The rules of the skinned label that do not need a window: how its style turns
// into drawing flags, where its text goes, how the text is broken into lines
// character by character (Chinese text has no blanks to break at), how tall the
// label must then be, and which colour the text takes.
// Platform-free; the label's Win32 glue calls these.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_geometry.h"

namespace ovn::skin {

// Static control style bits the label reads, as the system defines them.
constexpr unsigned kSsCenter = 0x0001;
constexpr unsigned kSsRight = 0x0002;
constexpr unsigned kSsCenterImage = 0x0200;
constexpr unsigned kSsEndEllipsis = 0x4000;
constexpr unsigned kSsPathEllipsis = 0x8000;

// Text drawing flags, as the system defines them.
constexpr unsigned kDtCenter = 0x0001;
constexpr unsigned kDtRight = 0x0002;
constexpr unsigned kDtVCenter = 0x0004;
constexpr unsigned kDtWordBreak = 0x0010;
constexpr unsigned kDtSingleLine = 0x0020;
constexpr unsigned kDtPathEllipsis = 0x4000;
constexpr unsigned kDtEndEllipsis = 0x8000;

// The flags each line of a label with this window style is drawn with.
unsigned LabelDrawFlags(unsigned style);

// The label's image sits this far from its left edge, and its text this far
// right of the image (at 100 %).
constexpr int kLabelImageLeft = 3;
constexpr int kLabelImageGap = 6;
inline int LabelImageLeft(DisplayScale scale) { return scale.Px(kLabelImageLeft); }

// Where the text goes in a client rectangle: right of the image (its width in
// pixels) when there is one.
Rect LabelTextArea(const Rect& client, int imageWidth, DisplayScale scale = {});

// Top of the image, centred in a label of the given height.
int LabelImageTop(int labelHeight, int imageHeight);

// The sample whose measured width / 10 is the font's average character width
// and whose height is the line height.
inline constexpr std::wstring_view kLabelSample = L"测试用汉字来获取宽度";
constexpr int kLabelSampleChars = 10;

// Width in pixels of a run of text in the label's font.
using LabelTextWidth = std::function<int(std::wstring_view)>;

struct LabelLine {
    std::wstring text;
    Rect rect;  // where it is drawn: the area's width, one line high
    bool operator==(const LabelLine&) const = default;
};

struct LabelLayout {
    std::vector<LabelLine> lines;  // top to bottom; a line may be empty (two breaks in a row)
    int neededHeight = 0;          // 0: the label draws nothing and keeps its height
};

// Breaks the text into lines of the area's width. A line feed ends a line, a
// carriage return is ignored, and a character that would make its line wider
// than the area starts the next one; a character wider than the area on its own
// gets a line to itself (drawn clipped). A surrogate pair stays together. Lines
// are lineHeight (measured, in pixels) + spacing (at 100 %) apart. Nothing is
// laid out when the font's average character (sampleWidth / 10) is wider than
// the area.
LabelLayout LayoutLabelText(std::wstring_view text, const Rect& area, int sampleWidth, int lineHeight,
                            int spacing, const LabelTextWidth& width, DisplayScale scale = {});

// The height a label of currentHeight must grow to, or 0 when it is tall enough.
// Labels never shrink.
int LabelGrowth(int currentHeight, int neededHeight);

// The text colour: the hover colour only while hovered and when the label uses one.
std::uint32_t LabelTextColor(std::uint32_t text, std::uint32_t hover, bool useHoverColor, bool hovered);

}  // namespace ovn::skin
