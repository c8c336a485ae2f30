#include "skin/message_box_layout.h"

#include <algorithm>
#include <limits>

#include "common/line_break.h"

namespace ovn::skin {

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

MessageBoxLayout LayoutMessageBox(int type, int textW, int textH, int lines, Size strip,
                                  DisplayScale scale) {
    MessageBoxLayout l;
    const Size cell = StripCellSize(strip.cx, strip.cy);
    const int bw = cell.cx, bh = cell.cy;
    textW = std::max(0, textW);
    textH = std::max(0, textH);
    lines = std::max(1, lines);
    // 30 pixels of margin on each side of the text, and never narrower than
    // the room two buttons need. (Comparing the bare text width with that
    // room instead would leave a 115-174 pixel text touching the border.)
    l.window.cx = std::max(textW, 2 * bw) + scale.Px(kMessageTextMargins);
    l.window.cy = textH + scale.Px(kMessageLineGap) * lines + scale.Px(kMessageBoxChrome) + bh;
    const int cw = l.window.cx, ch = l.window.cy;
    const int bottom = ch - scale.Px(30);
    const int top = bottom - bh;
    const int half = scale.Px(10);  // half the gap between two buttons
    if (type == BoxOkCancel || type == BoxYesNo) {
        l.buttonCount = 2;
        l.button1 = Rect{cw / 2 - half - bw, top, cw / 2 - half, bottom};
        l.button2 = Rect{cw / 2 + half, top, cw / 2 + half + bw, bottom};
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

Rect MessageLineRect(int cw, int tw, int lh, int i, DisplayScale scale) {
    const int left = (cw - tw) / 2;
    const int top = scale.Px(kMessageTextTop) + i * (lh + scale.Px(kMessageLineGap));
    return Rect{left, top, left + tw, top + lh};
}

namespace {

constexpr wchar_t kEllipsis = L'\u2026';

std::wstring_view TrimBlanksRight(std::wstring_view s) {
    while (!s.empty() && IsLineBlank(s.back()))
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
    if (SplitsSurrogatePair(s, good))
        --good;
    if (good == 0)
        good = SplitsSurrogatePair(s, 1) ? 2 : 1;
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
            while (!line.empty() && IsLineBlank(line.front()))
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
        t.remove_suffix(SplitsSurrogatePair(t, t.size() - 1) ? 2 : 1);
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
                               int lineHeight, Size strip, Size workArea, DisplayScale scale) {
    const int bh = StripCellSize(strip.cx, strip.cy).cy;
    lineHeight = std::max(0, lineHeight);
    // A work area too small for even one row or the buttons still gets one row;
    // 0 would mean no limit.
    const int maxWidth = workArea.cx > 0 ? std::max(1, workArea.cx - scale.Px(kMessageTextMargins)) : 0;
    const int maxRows =
        workArea.cy > 0 ? std::max(1, (workArea.cy - scale.Px(kMessageBoxChrome) - bh) /
                                          (lineHeight + scale.Px(kMessageLineGap)))
                        : 0;
    FittedMessageBox box;
    box.text = FitMessageText(text, width, maxWidth, maxRows);
    box.layout = LayoutMessageBox(type, box.text.width, lineHeight * box.text.lines, box.text.lines,
                                  strip, scale);
    return box;
}

}  // namespace ovn::skin
