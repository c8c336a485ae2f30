// Where the framework places a window: the platform-free rule behind
// fw::Dialog::CenterWindow.
#pragma once

namespace fw {

struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct Origin {
    int x = 0, y = 0;
    bool operator==(const Origin&) const = default;
};

// The top-left corner that centres a width × height window over `over` (the
// work area when null), moved back onto the work area where it would stick out.
// A window larger than the work area keeps its top-left corner visible, so its
// caption can still be grabbed.
Origin CentredOrigin(int width, int height, const Area* over, const Area& workArea);

}  // namespace fw
