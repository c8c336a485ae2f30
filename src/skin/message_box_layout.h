// The skinned message box's geometry: its text split into lines, wrapped and cut
// to fit the work area, and the box and buttons around it. Platform-free; the
// window measures text.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_geometry.h"

namespace ovn::skin {

enum MessageBoxType : int { BoxOk = 0, BoxOkCancel = 1, BoxYesNo = 4 };

constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
constexpr int kMessageBoxButton1 = 5000, kMessageBoxButton2 = 5001;
// Lengths at 100 %; the rules below take the window's scale and answer in its
// pixels (text is measured in pixels already).
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
MessageBoxLayout LayoutMessageBox(int type, int textW, int textH, int lines, Size strip,
                                  DisplayScale scale = {});

// Result of the two buttons for a box type.
int MessageBoxResult(int type, int button);  // button: 1 or 2

// Left edge of the text block and the rectangle of text line i (0-based), for a
// client width cw, text width tw and line height lh.
Rect MessageLineRect(int cw, int tw, int lh, int i, DisplayScale scale = {});

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
                               int lineHeight, Size strip, Size workArea, DisplayScale scale = {});

}  // namespace ovn::skin
