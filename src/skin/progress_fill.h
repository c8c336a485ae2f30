// The rules of the image progress bar that do not need a window: where the track
// and the fill image sit in the control, and which pieces of the fill image show
// a position. The filled length is assembled from the fill image's left and right
// ends, so both rounded ends stay visible at any length. Platform-free.
#pragma once
#include <vector>

#include "skin/skin_geometry.h"

namespace ovn::skin {

struct ProgressLayout {
    Rect control;  // (0, 0) to the background's size: the control's drawing area
    Rect bar;      // the fill image, centred in the control
    bool operator==(const ProgressLayout&) const = default;
};

ProgressLayout LayoutProgress(Size background, Size bar);

// Pixels of a bar barWidth wide that show pos on the range [lower, upper]:
// barWidth / (upper - lower) * pos, truncated, the position taken as it is.
// Never more than the bar nor less than nothing, and nothing for an empty range.
int ProgressFilledWidth(int barWidth, int pos, int lower, int upper);

// The unscaled blits from the fill image to the control that show pos: the first
// half of the filled length from the image's left end, the rest from its right
// end. Pieces of no width are left out.
std::vector<Blit> ProgressFillPieces(const Rect& bar, int pos, int lower, int upper);

}  // namespace ovn::skin
