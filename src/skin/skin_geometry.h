// The rules of the skinned window toolkit that do not need a window: how skin
// pixels become keyed bitmap pixels, how a frame bitmap is cut into blits, which
// window pixels the frame's corners remove, what a point of the frame does under
// the mouse, where maximise and restore put the window, which cell a button shows
// and how the message box lays itself out. Platform-free; the Win32 glue calls these.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/display_scale.h"

namespace ovn::skin {

using ovn::DisplayScale;

// Transparency of every skin image: magenta, as a COLORREF (0x00BBGGRR).
constexpr std::uint32_t kSkinKeyColor = 0x00FF00FFu;

struct Rect {  // edges, right and bottom exclusive
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Size {
    int cx = 0, cy = 0;
    bool operator==(const Size&) const = default;
};

// ---------------------------------------------------------------------------
// Pixels

// One decoded straight-alpha pixel in memory order blue, green, red, alpha.
struct Bgra {
    std::uint8_t b = 0, g = 0, r = 0, a = 0;
    bool operator==(const Bgra&) const = default;
};

// The keyed, opaque form of one pixel (fourth byte always 0): fully transparent
// becomes the key colour, fully opaque is copied, anything between is blended
// over white so that soft edges lighten instead of showing the key.
Bgra KeyPixel(Bgra src, std::uint32_t keyColor = kSkinKeyColor);

// Converts a top-down 32-bit BGRA image (rows srcStride bytes apart) into a
// bottom-up 32-bit bitmap of the same size (rows dstStride bytes apart), so the
// result stands upright when drawn. Returns false for an empty image, a null
// buffer or strides too short for the width.
bool ConvertToKeyedBottomUp(const std::uint8_t* src, int srcStride, int width, int height,
                            std::uint8_t* dst, int dstStride,
                            std::uint32_t keyColor = kSkinKeyColor);

// ---------------------------------------------------------------------------
// Frame painting

struct Blit {
    Rect dst;
    Rect src;
    bool stretch = false;  // false: unscaled copy (src and dst of equal size)
    bool operator==(const Blit&) const = default;
};

struct FrameMetrics {
    int border = 3;           // B: corner size, resize band thickness
    int captionHeight = -1;   // C: -1 = the whole window is caption, no band
};

// A frame's metrics, given at 100 %, in the pixels of a window at this scale
// (a caption of -1 stays -1). The rules below take metrics in pixels.
FrameMetrics ScaledFrameMetrics(const FrameMetrics& at100, DisplayScale scale);

// The blits that paint a window of winW x winH from a frame bitmap of bmW x bmH,
// in drawing order. Nine-slice when stretch is set; otherwise the bitmap is
// copied unscaled from its top-left (clipped to both sizes) and only the right
// column and the bottom row are fitted. Pieces of no area are left out, so a
// window smaller than its borders never gets mirrored (negative) blits.
std::vector<Blit> FramePieces(int bmW, int bmH, int winW, int winH, const FrameMetrics& m,
                              bool stretch);

// Where the caption band puts the small icon and the title.
struct CaptionLayout {
    int iconX = 0, iconY = 0;
    int titleX = 0, titleY = 0;
};
// fontHeight is the dialog font's LOGFONT height (sign ignored), m in pixels;
// the icon's and the title's own offsets are scaled.
CaptionLayout LayoutCaption(const FrameMetrics& m, bool hasIcon, int fontHeight,
                            DisplayScale scale = {});

// ---------------------------------------------------------------------------
// Window shape

// A run of window pixels [x0, x1) on row y that the shape leaves out.
struct PixelRun {
    int y = 0, x0 = 0, x1 = 0;
    bool operator==(const PixelRun&) const = default;
};

// The frame's 9 x 9 corner squares (at 100 %; the bitmap is drawn for the
// window's scale) are mapped 1:1 onto the window's corners whatever its size;
// every key-coloured pixel there removes one window pixel. isKey(x, y) tests a
// bitmap pixel (top-down coordinates). The result is sorted by row then
// column, merged, and limited to the window.
std::vector<PixelRun> CornerCutRuns(int bmW, int bmH, int winW, int winH,
                               const std::function<bool(int x, int y)>& isKey,
                               DisplayScale scale = {});

// ---------------------------------------------------------------------------
// Hit testing, moving and sizing

enum class FrameHit {
    Default,  // leave it to the system
    Caption,
    Left,
    Right,
    Top,
    TopLeft,
    TopRight,
    Bottom,
    BottomLeft,
    BottomRight,
};

struct FrameState {
    bool maximized = false;
    bool resizable = false;
};

// (x, y) in client coordinates, client size w x h, m in pixels; the top
// sizing band is 3 pixels at 100 %.
FrameHit HitTestFrame(int x, int y, int w, int h, const FrameMetrics& m, const FrameState& s,
                      DisplayScale scale = {});

// True when (x, y) lies in the caption band (always, when the caption height is -1).
bool InCaptionBand(int y, int captionHeight);

// The system size command (SC_SIZE plus the edge) that a sizing hit starts; 0 for
// anything that is not a sizing edge.
unsigned SizeCommandFor(FrameHit hit);

// The rectangle the window is first restored to: the work area inset by an eighth
// of its size on every side, measured from the screen origin.
Rect InitialRestoreRect(const Rect& workArea);

// The maximised rectangle: the work area, shrunk symmetrically to maxSize where it
// is larger.
Rect MaximizedRect(const Rect& workArea, Size maxSize);

// Left edges of the system buttons laid out from the right: widths are given close,
// maximise, minimise in that order, 0 for a button that does not exist (its entry
// in the result is then meaningless). Each button's right edge is at x, then x moves
// to its left edge minus the gap (given at 100 %; the widths are the buttons'
// own, in pixels).
std::vector<int> LayoutSystemButtons(int rightX, int gap, const std::vector<int>& widths,
                                     DisplayScale scale = {});

// ---------------------------------------------------------------------------
// Image button

enum ButtonCell : int { CellNormal = 0, CellHover = 1, CellPressed = 2, CellDisabled = 3 };

struct ButtonLook {
    ButtonCell cell = CellNormal;
    bool pressed = false;  // the sticky pressed flag after this draw
};

// Owner-draw item state bits, as the system defines them.
constexpr unsigned kOdsSelected = 0x0001;
constexpr unsigned kOdsGrayed = 0x0002;
constexpr unsigned kOdsDisabled = 0x0004;

ButtonLook ChooseButtonCell(unsigned itemState, bool stickyPressed, bool hover);

// Cell size of a four-cell strip (the rightmost pixels of a width that is not a
// multiple of four are ignored).
Size StripCellSize(int stripW, int stripH);

}  // namespace ovn::skin
