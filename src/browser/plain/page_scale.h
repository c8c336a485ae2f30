// The plain engine at a window's display scale: a page's lengths are written in
// CSS pixels, 96 to the inch, and laid out and drawn in the window's pixels, so a
// page at 150 % is one and a half times as large as at 100 %, as the browser
// control shows it when its host asks for DPI-aware rendering. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "browser/plain/html_document.h"
#include "common/display_scale.h"

namespace ovn::browser {

// The document with every length of its styles (sizes, places, padding,
// margins, background positions) and the gaps between its blocks in the scale's
// pixels, each by the one rounding rule of DisplayScale; text and structure as they were.
HtmlDocument ScaledDocument(const HtmlDocument& doc, DisplayScale scale);

// How a background picture is drawn at a scale.
enum class PictureScaling {
    Copy,    // 100 %: pixel for pixel
    Sharp,   // each pixel repeated (nearest): no colour the picture does not hold
    Smooth,  // resampled: what a photo needs so as not to come out blocky
};

// A picture holding the page's own background colour is keyed art: where the
// window lets that colour through, its pixels of it must stay exactly that
// colour, and its edges against it must not blend into colours that show; such
// a picture is scaled sharp, any other smooth. pixels are 0x??RRGGBB, top row first.
PictureScaling ChoosePictureScaling(DisplayScale scale, const std::uint32_t* pixels, std::size_t count,
                                    std::optional<std::uint32_t> pageColor);

}  // namespace ovn::browser
