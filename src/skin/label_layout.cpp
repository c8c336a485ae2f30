#include "skin/label_layout.h"

namespace ovn::skin {

unsigned LabelDrawFlags(unsigned style) {
    unsigned flags = kDtWordBreak;
    if (style & kSsCenter)
        flags |= kDtCenter | kDtVCenter;
    else if (style & kSsRight)
        flags |= kDtRight;
    if (style & kSsEndEllipsis)
        flags |= kDtEndEllipsis;
    if (style & kSsPathEllipsis)
        flags |= kDtPathEllipsis | kDtSingleLine;
    if (style & kSsCenterImage)
        flags |= kDtVCenter | kDtSingleLine;
    return flags;
}

Rect LabelTextArea(const Rect& client, int imageWidth, DisplayScale scale) {
    Rect area = client;
    if (imageWidth != 0)
        area.left += imageWidth + scale.Px(kLabelImageGap);
    return area;
}

int LabelImageTop(int labelHeight, int imageHeight) { return (labelHeight - imageHeight) / 2; }

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

LabelLayout LayoutLabelText(std::wstring_view text, const Rect& area, int sampleWidth, int lineHeight,
                            int spacing, const LabelTextWidth& width, DisplayScale scale) {
    LabelLayout out;
    // Too narrow for one ordinary character: wrapping would only make a column
    // of clipped glyphs as tall as the text is long.
    if (!width || sampleWidth / kLabelSampleChars > area.Width())
        return out;

    const int step = lineHeight + scale.Px(spacing);
    Rect r{area.left, area.top, area.right, area.top + lineHeight};
    std::wstring line;
    bool full = false;  // the line holds one character wider than the area
    auto nextLine = [&] {
        out.lines.push_back(LabelLine{line, r});
        r.top += step;
        r.bottom += step;
        line.clear();
        full = false;
    };

    for (std::size_t i = 0; i < text.size();) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            ++i;
            continue;
        }
        if (c == L'\n') {
            nextLine();
            ++i;
            continue;
        }
        const std::size_t n =
            IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
        if (full)
            nextLine();
        line.append(text.substr(i, n));
        if (width(line) > r.Width()) {
            if (line.size() == n) {
                full = true;  // alone it does not fit either: it keeps its line, clipped
            } else {
                line.resize(line.size() - n);
                nextLine();
                continue;  // the same character again, first on the new line
            }
        }
        i += n;
    }
    out.lines.push_back(LabelLine{line, r});
    out.neededHeight = static_cast<int>(out.lines.size() - 1) * step + lineHeight;
    return out;
}

int LabelGrowth(int currentHeight, int neededHeight) {
    return neededHeight > currentHeight ? neededHeight : 0;
}

std::uint32_t LabelTextColor(std::uint32_t text, std::uint32_t hover, bool useHoverColor, bool hovered) {
    return useHoverColor && hovered ? hover : text;
}

}  // namespace ovn::skin
