// Which drawing of a skin image a window uses, and how large an image drawn
// for one scale is at another. The skins are drawn for a few scales; a window
// lays itself out at the scale of the drawing it picked, so every frame piece,
// button and tab meets its bitmap pixel for pixel and nothing is stretched
// into a blur. Platform-free.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "common/display_scale.h"
#include "skin/skin_geometry.h"

namespace ovn::skin {

// The drawing nearest to the window's DPI among those given (in any order);
// a tie goes to the larger, which shrinks rather than grows. 96 when none.
int NearestDrawnDpi(int windowDpi, std::span<const int> drawnDpis);

// The size of an image drawn at drawnDpi when shown at scale: each side scaled
// by scale / drawnDpi, rounded half to the larger, at least one pixel (an empty side stays empty).
Size SizeAt(Size drawn, int drawnDpi, DisplayScale scale);

// One drawing of a skin image: the image's id, the DPI it is drawn for and
// the resource that holds it (the generator lists them all in res/skin_ids.h).
struct SkinDrawing {
    unsigned id = 0;
    int dpi = 0;
    unsigned resource = 0;
};

// The drawing of image id to show at dpi: the one drawn for it; else the
// smallest drawn above it, which is shrunk (a soft picture loses nothing that
// way, where a grown one blurs); else the largest below. Null when the image
// has no drawing at all.
const SkinDrawing* DrawingFor(unsigned id, int dpi, std::span<const SkinDrawing> drawings);

// Every DPI some image is drawn for, ascending, each once.
std::vector<int> DrawnDpis(std::span<const SkinDrawing> drawings);

// Shrinks (or grows) a top-down image of premultiplied 32-bit pixels to
// dstW x dstH by averaging the area of the source each target pixel covers,
// so a soft picture comes out smooth, with no ringing and no dropped rows.
// Strides are in bytes. False for an empty size, a null buffer or a stride too
// short for its width.
bool ResamplePremultiplied(const std::uint8_t* src, int srcW, int srcH, int srcStride, std::uint8_t* dst,
                           int dstW, int dstH, int dstStride);

}  // namespace ovn::skin
