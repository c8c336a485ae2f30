#include "skin/skin_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace ovn::skin {

// ---------------------------------------------------------------------------
// Pixels

Bgra KeyPixel(Bgra src, std::uint32_t keyColor) {
    if (src.a == 0) {
        return Bgra{static_cast<std::uint8_t>((keyColor >> 16) & 0xFF),
                    static_cast<std::uint8_t>((keyColor >> 8) & 0xFF),
                    static_cast<std::uint8_t>(keyColor & 0xFF), 0};
    }
    if (src.a == 255)
        return Bgra{src.b, src.g, src.r, 0};
    // Over white: (A*c + 255*(255 - A)) / 255, rounded down; never negative.
    const int a = src.a;
    auto blend = [a](std::uint8_t c) {
        return static_cast<std::uint8_t>((a * (c - 255) + 65025) / 255);
    };
    return Bgra{blend(src.b), blend(src.g), blend(src.r), 0};
}

bool ConvertToKeyedBottomUp(const std::uint8_t* src, int srcStride, int width, int height,
                            std::uint8_t* dst, int dstStride, std::uint32_t keyColor) {
    if (!src || !dst || width <= 0 || height <= 0)
        return false;
    const long long rowBytes = 4LL * width;
    if (std::llabs(static_cast<long long>(srcStride)) < rowBytes || dstStride < rowBytes)
        return false;
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(i) * srcStride;
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(height - 1 - i) * dstStride;
        for (int j = 0; j < width; ++j, s += 4, d += 4) {
            const Bgra out = KeyPixel(Bgra{s[0], s[1], s[2], s[3]}, keyColor);
            d[0] = out.b;
            d[1] = out.g;
            d[2] = out.r;
            d[3] = 0;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Frame painting

namespace {

Rect Xywh(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

// Adds one piece unless it has no area. An unscaled copy is clipped to the
// bitmap (a caption taller than the bitmap must not read outside it).
void AddPiece(std::vector<Blit>& out, int bmW, int bmH, Rect dst, Rect src, bool stretch) {
    if (!stretch) {
        const int w = std::min(src.Width(), bmW - src.left);
        const int h = std::min(src.Height(), bmH - src.top);
        if (src.left < 0 || src.top < 0)
            return;
        src.right = src.left + w;
        src.bottom = src.top + h;
        dst.right = dst.left + w;
        dst.bottom = dst.top + h;
    } else if (src.left < 0 || src.top < 0 || src.right > bmW || src.bottom > bmH) {
        return;
    }
    if (dst.Width() <= 0 || dst.Height() <= 0 || src.Width() <= 0 || src.Height() <= 0)
        return;
    out.push_back(Blit{dst, src, stretch});
}

}  // namespace

std::vector<Blit> FramePieces(int bmW, int bmH, int winW, int winH, const FrameMetrics& m,
                              bool stretch) {
    std::vector<Blit> out;
    if (bmW <= 0 || bmH <= 0 || winW <= 0 || winH <= 0)
        return out;
    const int B = std::max(0, m.border);
    const int T = m.captionHeight == -1 ? B : std::max(0, m.captionHeight);

    if (stretch) {
        AddPiece(out, bmW, bmH, Xywh(0, 0, B, T), Xywh(0, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(B, 0, winW - 2 * B, T), Xywh(B, 0, bmW - 2 * B, T), true);
        AddPiece(out, bmW, bmH, Xywh(winW - B, 0, B, T), Xywh(bmW - B, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(0, T, B, winH - T - B), Xywh(0, T, B, bmH - T - B), true);
        AddPiece(out, bmW, bmH, Xywh(winW - B, T, B, winH - T - B),
                 Xywh(bmW - B, T, B, bmH - T - B), true);
        AddPiece(out, bmW, bmH, Xywh(B, T, winW - 2 * B, winH - T - B),
                 Xywh(B, T, bmW - 2 * B, bmH - T - B), true);
    } else {
        // Windows drawn this way are fitted to their bitmap; a larger window only
        // gets what the bitmap has.
        AddPiece(out, bmW, bmH, Xywh(0, 0, winW, winH), Xywh(0, 0, winW, winH), false);
        AddPiece(out, bmW, bmH, Xywh(winW - B, 0, B, T), Xywh(bmW - B, 0, B, T), false);
        AddPiece(out, bmW, bmH, Xywh(winW - B, T, B, winH - T - B),
                 Xywh(bmW - B, T, B, bmH - T - B), true);
    }
    AddPiece(out, bmW, bmH, Xywh(0, winH - B, B, B), Xywh(0, bmH - B, B, B), false);
    AddPiece(out, bmW, bmH, Xywh(B, winH - B, winW - 2 * B, B), Xywh(B, bmH - B, bmW - 2 * B, B),
             true);
    AddPiece(out, bmW, bmH, Xywh(winW - B, winH - B, B, B), Xywh(bmW - B, bmH - B, B, B), false);
    return out;
}

CaptionLayout LayoutCaption(const FrameMetrics& m, bool hasIcon, int fontHeight) {
    CaptionLayout c;
    const int C = m.captionHeight;
    c.iconX = m.border;
    c.iconY = C == -1 ? 6 : (C - 15) / 2;
    c.titleX = (hasIcon ? 16 : 0) + m.border + 5;
    const int t = (C - std::abs(fontHeight) + 1) / 2;
    c.titleY = t < 0 ? 4 : t - 2;
    return c;
}

// ---------------------------------------------------------------------------
// Window shape

std::vector<PixelRun> CornerCutRuns(int bmW, int bmH, int winW, int winH,
                               const std::function<bool(int, int)>& isKey) {
    std::vector<std::pair<int, int>> pixels;  // (row, column) of the window
    if (bmW <= 0 || bmH <= 0 || winW <= 0 || winH <= 0 || !isKey)
        return {};
    const int cols = std::min(9, bmW);
    auto testRow = [&](int by, int wy) {
        if (wy < 0 || wy >= winH)
            return;
        for (int j = 0; j < cols; ++j) {
            if (isKey(j, by) && j < winW)
                pixels.emplace_back(wy, j);
            if (isKey(bmW - 1 - j, by) && winW - 1 - j >= 0)
                pixels.emplace_back(wy, winW - 1 - j);
        }
    };
    for (int y = 0; y < 9 && y < bmH; ++y)
        testRow(y, y);
    for (int y = std::max(0, bmH - 9); y < bmH; ++y)
        testRow(y, winH - (bmH - y));

    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    std::vector<PixelRun> runs;
    for (const auto& [row, col] : pixels) {
        if (!runs.empty() && runs.back().y == row && runs.back().x1 == col)
            ++runs.back().x1;
        else
            runs.push_back(PixelRun{row, col, col + 1});
    }
    return runs;
}

// ---------------------------------------------------------------------------
// Hit testing, moving and sizing

bool InCaptionBand(int y, int captionHeight) {
    return captionHeight == -1 || (y >= 0 && y < captionHeight);
}

FrameHit HitTestFrame(int x, int y, int w, int h, const FrameMetrics& m, const FrameState& s) {
    const int B = m.border;
    const int C = m.captionHeight;
    if (s.maximized)
        return FrameHit::Default;
    if (!s.resizable)
        return InCaptionBand(y, C) ? FrameHit::Caption : FrameHit::Default;

    const bool top = y >= 0 && y < B;
    const bool bottom = y >= h - B && y < h;
    if (x >= 0 && x < B)
        return top ? FrameHit::TopLeft : bottom ? FrameHit::BottomLeft : FrameHit::Left;
    if (x >= w - B && x < w)
        return top ? FrameHit::TopRight : bottom ? FrameHit::BottomRight : FrameHit::Right;
    // The top sizing band stays 3 pixels whatever the border, so the caption
    // starts right below it.
    if (y >= 0 && y < 3)
        return FrameHit::Top;
    if ((y >= 3 && y < C) || C == -1)
        return FrameHit::Caption;
    if (bottom)
        return FrameHit::Bottom;
    return FrameHit::Default;
}

unsigned SizeCommandFor(FrameHit hit) {
    constexpr unsigned kScSize = 0xF000;
    switch (hit) {
    case FrameHit::Left: return kScSize + 1;
    case FrameHit::Right: return kScSize + 2;
    case FrameHit::Top: return kScSize + 3;
    case FrameHit::TopLeft: return kScSize + 4;
    case FrameHit::TopRight: return kScSize + 5;
    case FrameHit::Bottom: return kScSize + 6;
    case FrameHit::BottomLeft: return kScSize + 7;
    case FrameHit::BottomRight: return kScSize + 8;
    default: return 0;
    }
}

Rect InitialRestoreRect(const Rect& wa) {
    const int w = wa.Width(), h = wa.Height();
    return Rect{w / 8, h / 8, wa.right - w / 8, wa.bottom - h / 8};
}

Rect MaximizedRect(const Rect& wa, Size maxSize) {
    Rect r = wa;
    if (r.Width() > maxSize.cx) {
        const int d = (r.Width() - maxSize.cx) / 2;
        r.left += d;
        r.right -= d;
    }
    if (r.Height() > maxSize.cy) {
        const int d = (r.Height() - maxSize.cy) / 2;
        r.top += d;
        r.bottom -= d;
    }
    return r;
}

std::vector<int> LayoutSystemButtons(int rightX, int gap, const std::vector<int>& widths) {
    std::vector<int> lefts(widths.size(), 0);
    int x = rightX;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (widths[i] <= 0)
            continue;
        lefts[i] = x - widths[i];
        x = lefts[i] - gap;
    }
    return lefts;
}

// ---------------------------------------------------------------------------
// Image button

ButtonLook ChooseButtonCell(unsigned itemState, bool stickyPressed, bool hover) {
    if (itemState & (kOdsGrayed | kOdsDisabled))
        return ButtonLook{CellDisabled, stickyPressed};
    if ((itemState & kOdsSelected) || stickyPressed)
        return ButtonLook{CellPressed, true};
    return ButtonLook{hover ? CellHover : CellNormal, false};
}

Size StripCellSize(int stripW, int stripH) {
    if (stripW <= 0 || stripH <= 0)
        return Size{0, 0};
    return Size{stripW / 4, stripH};
}

// ---------------------------------------------------------------------------
// Message box

int CountMessageLines(std::wstring_view text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

std::vector<std::wstring_view> SplitMessageLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = text.find(L'\n', start);
        if (nl == std::wstring_view::npos)
            break;
        std::wstring_view piece = text.substr(start, nl - start);
        if (!piece.empty() && piece.back() == L'\r')
            piece.remove_suffix(1);
        lines.push_back(piece);
        start = nl + 1;
    }
    std::wstring_view last = text.substr(start);
    // A text without any break is one piece even when empty.
    if (!last.empty() || lines.empty())
        lines.push_back(last);
    return lines;
}

int MessageBoxResult(int type, int button) {
    if (button == 1)
        return type == BoxYesNo ? kIdYes : kIdOk;
    return type == BoxYesNo ? kIdNo : kIdCancel;
}

MessageBoxLayout LayoutMessageBox(int type, int textW, int textH, int lines, Size strip) {
    MessageBoxLayout l;
    const Size cell = StripCellSize(strip.cx, strip.cy);
    const int bw = cell.cx, bh = cell.cy;
    textW = std::max(0, textW);
    textH = std::max(0, textH);
    lines = std::max(1, lines);
    // 30 pixels of margin on each side of the text, and never narrower than
    // the room two buttons need. (Comparing the bare text width with that
    // room instead would leave a 115-174 pixel text touching the border.)
    l.window.cx = std::max(textW, 2 * bw) + kMessageTextMargins;
    l.window.cy = textH + kMessageLineGap * lines + kMessageBoxChrome + bh;
    const int cw = l.window.cx, ch = l.window.cy;
    const int bottom = ch - 30;
    const int top = bottom - bh;
    if (type == BoxOkCancel || type == BoxYesNo) {
        l.buttonCount = 2;
        l.button1 = Rect{cw / 2 - 10 - bw, top, cw / 2 - 10, bottom};
        l.button2 = Rect{cw / 2 + 10, top, cw / 2 + 10 + bw, bottom};
        l.caption1 = type == BoxYesNo ? L"是" : L"确定";
        l.caption2 = type == BoxYesNo ? L"否" : L"取消";
    } else {
        l.buttonCount = 1;
        l.button1 = Rect{(cw - bw) / 2, top, (cw - bw) / 2 + bw, bottom};
        l.caption1 = L"确定";
    }
    l.result1 = MessageBoxResult(type, 1);
    l.result2 = MessageBoxResult(type, 2);
    return l;
}

Rect MessageLineRect(int cw, int tw, int lh, int i) {
    const int left = (cw - tw) / 2;
    const int top = kMessageTextTop + i * (lh + kMessageLineGap);
    return Rect{left, top, left + tw, top + lh};
}

namespace {

constexpr wchar_t kEllipsis = L'\u2026';

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u3000'; }

// CJK ideographs, kana, hangul, their punctuation and the full-width forms: text
// written without blanks, so a row may end next to any of them.
bool IsWide(wchar_t c) {
    return (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

// Punctuation that closes what precedes it; a row never starts with one.
bool ClosesCjk(wchar_t c) {
    return std::wstring_view(L"\uFF0C\u3002\u3001\uFF1F\uFF01\uFF1A\uFF1B\uFF09\u300D\u300F"
                             L"\u3011\u300B\u3009\u2026\uFF0E")
               .find(c) != std::wstring_view::npos;
}

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Whether s may be cut before s[i] without splitting a surrogate pair.
bool CharBoundary(std::wstring_view s, std::size_t i) {
    return i == 0 || i >= s.size() || !(IsLowSurrogate(s[i]) && IsHighSurrogate(s[i - 1]));
}

// Whether a wrapped row may end before s[i] (0 < i < size).
bool BreakOpportunity(std::wstring_view s, std::size_t i) {
    if (IsBlank(s[i]) || IsBlank(s[i - 1]))
        return true;
    return (IsWide(s[i]) || IsWide(s[i - 1])) && !ClosesCjk(s[i]);
}

std::wstring_view TrimBlanksRight(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The longest prefix of s no wider than maxWidth, cut at a character boundary,
// and its width; at least one character even when that is wider. Probes grow
// from a short prefix, so a very long line is never measured whole.
std::size_t LongestFit(std::wstring_view s, const TextWidthFn& width, int maxWidth, int& fitWidth) {
    std::size_t good = 0, bad = 0;
    fitWidth = 0;
    for (std::size_t k = std::min<std::size_t>(s.size(), 64);; k = std::min(s.size(), k * 2)) {
        const int w = width(s.substr(0, k));
        if (w > maxWidth) {
            bad = k;
            break;
        }
        good = k;
        fitWidth = w;
        if (k == s.size())
            return good;
    }
    while (bad - good > 1) {
        const std::size_t mid = good + (bad - good) / 2;
        const int w = width(s.substr(0, mid));
        if (w <= maxWidth) {
            good = mid;
            fitWidth = w;
        } else {
            bad = mid;
        }
    }
    if (!CharBoundary(s, good))
        --good;
    if (good == 0)
        good = CharBoundary(s, 1) ? 1 : 2;
    fitWidth = width(s.substr(0, good));
    return good;
}

struct Row {
    std::wstring text;
    int width = 0;
};

// Appends the rows of one line, stopping once `limit` rows are there.
void WrapLine(std::wstring_view line, const TextWidthFn& width, int maxWidth, std::size_t limit,
              std::vector<Row>& rows) {
    bool first = true;
    while (rows.size() < limit) {
        if (!first) {  // the blanks a row was broken at go with the break
            while (!line.empty() && IsBlank(line.front()))
                line.remove_prefix(1);
            if (line.empty())
                return;
        }
        int w = 0;
        const std::size_t fit = LongestFit(line, width, maxWidth, w);
        if (fit == line.size()) {
            rows.push_back(Row{std::wstring(line), w});
            return;
        }
        // The last break that leaves something on the row; none: cut where it is full.
        std::size_t cut = fit;
        for (std::size_t i = fit; i > 0; --i) {
            if (BreakOpportunity(line, i) && !TrimBlanksRight(line.substr(0, i)).empty()) {
                cut = i;
                break;
            }
        }
        const std::wstring_view row = TrimBlanksRight(line.substr(0, cut));
        if (row.size() != fit)
            w = width(row);
        rows.push_back(Row{std::wstring(row), w});
        line.remove_prefix(cut);
        first = false;
    }
}

// The row with "…" at its end, shortened (at character boundaries, trailing
// blanks dropped) until it fits.
Row Ellipsize(const Row& row, const TextWidthFn& width, int maxWidth) {
    std::wstring_view t = TrimBlanksRight(row.text);
    for (;;) {
        Row r{std::wstring(t) + kEllipsis, 0};
        r.width = width(r.text);
        if (r.width <= maxWidth || t.empty())
            return r;
        t.remove_suffix(CharBoundary(t, t.size() - 1) ? 1 : 2);
        t = TrimBlanksRight(t);
    }
}

}  // namespace

MessageText FitMessageText(std::wstring_view text, const TextWidthFn& width, int maxWidth,
                           int maxRows) {
    constexpr int kNoLimit = std::numeric_limits<int>::max();
    if (maxWidth <= 0)
        maxWidth = kNoLimit;
    if (maxRows <= 0)
        maxRows = kNoLimit;
    const std::vector<std::wstring_view> lines = SplitMessageLines(text);
    // One row more than is kept tells whether anything is cut.
    const std::size_t limit = static_cast<std::size_t>(maxRows) + (maxRows < kNoLimit ? 1 : 0);
    std::vector<Row> rows;
    for (std::wstring_view line : lines) {
        if (rows.size() >= limit)
            break;
        WrapLine(line, width, maxWidth, limit, rows);
    }

    MessageText out;
    if (rows.size() > static_cast<std::size_t>(maxRows)) {
        rows.resize(static_cast<std::size_t>(maxRows));
        rows.back() = Ellipsize(rows.back(), width, maxWidth);
        out.cut = true;
    }
    for (Row& r : rows) {
        out.width = std::max(out.width, r.width);
        out.rows.push_back(std::move(r.text));
    }
    // The undrawn row after a trailing break keeps its room while there is room.
    const int undrawn = CountMessageLines(text) - static_cast<int>(lines.size());
    out.lines = out.cut ? maxRows
                        : static_cast<int>(std::min<std::size_t>(rows.size() + undrawn,
                                                                 static_cast<std::size_t>(maxRows)));
    return out;
}

FittedMessageBox FitMessageBox(int type, std::wstring_view text, const TextWidthFn& width,
                               int lineHeight, Size strip, Size workArea) {
    const int bh = StripCellSize(strip.cx, strip.cy).cy;
    lineHeight = std::max(0, lineHeight);
    // A work area too small for even one row or the buttons still gets one row;
    // 0 would mean no limit.
    const int maxWidth = workArea.cx > 0 ? std::max(1, workArea.cx - kMessageTextMargins) : 0;
    const int maxRows =
        workArea.cy > 0
            ? std::max(1, (workArea.cy - kMessageBoxChrome - bh) / (lineHeight + kMessageLineGap))
            : 0;
    FittedMessageBox box;
    box.text = FitMessageText(text, width, maxWidth, maxRows);
    box.layout = LayoutMessageBox(type, box.text.width, lineHeight * box.text.lines, box.text.lines,
                                  strip);
    return box;
}

}  // namespace ovn::skin
