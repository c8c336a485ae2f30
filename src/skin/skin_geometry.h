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

namespace ovn::skin {

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
// fontHeight is the dialog font's LOGFONT height (sign ignored).
CaptionLayout LayoutCaption(const FrameMetrics& m, bool hasIcon, int fontHeight);

// ---------------------------------------------------------------------------
// Window shape

// A run of window pixels [x0, x1) on row y that the shape leaves out.
struct PixelRun {
    int y = 0, x0 = 0, x1 = 0;
    bool operator==(const PixelRun&) const = default;
};

// The frame's 9 x 9 corner squares are mapped 1:1 onto the window's corners
// whatever its size; every key-coloured pixel there removes one window pixel.
// isKey(x, y) tests a bitmap pixel (top-down coordinates). The result is sorted
// by row then column, merged, and limited to the window.
std::vector<PixelRun> CornerCutRuns(int bmW, int bmH, int winW, int winH,
                               const std::function<bool(int x, int y)>& isKey);

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

// (x, y) in client coordinates, client size w x h.
FrameHit HitTestFrame(int x, int y, int w, int h, const FrameMetrics& m, const FrameState& s);

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
// to its left edge minus the gap.
std::vector<int> LayoutSystemButtons(int rightX, int gap, const std::vector<int>& widths);

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

// ---------------------------------------------------------------------------
// Message box

enum MessageBoxType : int { BoxOk = 0, BoxOkCancel = 1, BoxYesNo = 4 };

constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
constexpr int kMessageBoxButton1 = 5000, kMessageBoxButton2 = 5001;
constexpr int kMessageTextTop = 55;  // first text line, below the 30-pixel caption band
constexpr int kMessageLineGap = 3;

// 1 + the number of line breaks (a trailing break still counts a line).
int CountMessageLines(std::wstring_view text);

// The pieces that are drawn, one per line: split at each line break; a last piece
// after the final break is kept only when not empty. A '\r' before a break is dropped.
std::vector<std::wstring_view> SplitMessageLines(std::wstring_view text);

struct MessageBoxLayout {
    Size window;
    int buttonCount = 1;
    Rect button1, button2;
    int result1 = kIdOk, result2 = kIdCancel;
    const wchar_t* caption1 = L"";
    const wchar_t* caption2 = L"";
};

// textW x textH: the measured text block; lines: CountMessageLines; strip: the
// button strip's size.
MessageBoxLayout LayoutMessageBox(int type, int textW, int textH, int lines, Size strip);

// Result of the two buttons for a box type.
int MessageBoxResult(int type, int button);  // button: 1 or 2

// Left edge of the text block and the rectangle of text line i (0-based), for a
// client width cw, text width tw and line height lh.
Rect MessageLineRect(int cw, int tw, int lh, int i);

// Width in pixels of a run of text in the box's font.
using TextWidthFn = std::function<int(std::wstring_view)>;

// The text as the box draws it.
struct MessageText {
    std::vector<std::wstring> rows;  // drawn top to bottom
    int width = 0;                   // the widest row: the block's width
    int lines = 1;                   // rows the box keeps room for
    bool cut = false;                // rows were left out; the last one ends with "…"
    bool operator==(const MessageText&) const = default;
};

// Splits the text into its lines and fits them into maxWidth x maxRows (0 or
// less: no limit). A line no wider than maxWidth is one row, as it is. A wider
// line wraps: each row takes as much as fits, ending at the last blank or at the
// edge of a CJK character where there is one (blanks at a wrap are dropped;
// CJK closing punctuation never starts a row), otherwise anywhere (never inside
// a surrogate pair; at least one character per row). Past maxRows the rest is
// cut and the last row kept ends with "…", shortened until it fits. A trailing
// line break keeps room for one more (undrawn) row while it fits.
MessageText FitMessageText(std::wstring_view text, const TextWidthFn& width, int maxWidth,
                           int maxRows);

// Horizontal and vertical room the box spends outside its text.
constexpr int kMessageTextMargins = 60;  // 30 on each side
constexpr int kMessageBoxChrome = 90;    // text top, gap above the buttons, 30 below them

struct FittedMessageBox {
    MessageText text;
    MessageBoxLayout layout;
};

// The box for a work area of workArea (a dimension of 0 or less: no limit): the
// text may be as wide as the work area minus the margins and have as many rows
// of lineHeight + 3 pixels as fit above the buttons; then it is laid out as
// LayoutMessageBox does. A text that fits keeps exactly the size it has without
// a work area.
FittedMessageBox FitMessageBox(int type, std::wstring_view text, const TextWidthFn& width,
                               int lineHeight, Size strip, Size workArea);

}  // namespace ovn::skin
