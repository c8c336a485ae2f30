#include "browser/plain/page_scale.h"

namespace ovn::browser {

namespace {

void Scale(int& length, DisplayScale scale) { length = scale.Px(length); }

}  // namespace

HtmlDocument ScaledDocument(const HtmlDocument& doc, DisplayScale scale) {
    HtmlDocument scaled = doc;
    if (scale.IsBase())
        return scaled;
    for (std::size_t i = 0; i < scaled.elements.size(); ++i) {
        const HtmlStyle& at100 = doc.elements[i].style;
        HtmlStyle& s = scaled.elements[i].style;
        // A positioned box is placed by its edges, so that boxes side by side at
        // 100 % still meet: its width is what lies between its scaled edges.
        if (at100.width)
            s.width = at100.absolute ? scale.Span(at100.left, *at100.width) : scale.Px(*at100.width);
        if (at100.height)
            s.height = at100.absolute ? scale.Span(at100.top, *at100.height) : scale.Px(*at100.height);
        Scale(s.left, scale);
        Scale(s.top, scale);
        Scale(s.backgroundX, scale);
        Scale(s.backgroundY, scale);
        Scale(s.padding.top, scale);
        Scale(s.padding.right, scale);
        Scale(s.padding.bottom, scale);
        Scale(s.padding.left, scale);
        Scale(s.marginTop, scale);
        Scale(s.marginBottom, scale);
    }
    for (HtmlBlock& b : scaled.blocks)
        Scale(b.gapBefore, scale);
    return scaled;
}

PictureScaling ChoosePictureScaling(DisplayScale scale, const std::uint32_t* pixels, std::size_t count,
                                    std::optional<std::uint32_t> pageColor) {
    if (scale.IsBase())
        return PictureScaling::Copy;
    if (pageColor && pixels) {
        const std::uint32_t key = *pageColor & 0xFFFFFFu;
        for (std::size_t i = 0; i < count; ++i)
            if ((pixels[i] & 0xFFFFFFu) == key)
                return PictureScaling::Sharp;
    }
    return PictureScaling::Smooth;
}

}  // namespace ovn::browser
