#include "browser/plain/text_layout.h"

#include <algorithm>

#include "common/line_break.h"

namespace ovn::browser {

namespace {

bool IsBreakSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

struct Unit {
    std::wstring text;  // a word (or one wide character and the punctuation closing it) with its trailing blanks
    size_t body = 0;    // length without the trailing blanks
    int link = -1;
    int element = -1;
    int box = -1;       // a sized element's box instead of text
};

std::vector<Unit> SplitUnits(const HtmlBlock& block) {
    std::vector<Unit> units;
    for (const auto& run : block.runs) {
        if (run.box >= 0) {
            Unit u;
            u.link = run.link;
            u.element = run.element;
            u.box = run.box;
            units.push_back(std::move(u));
            continue;
        }
        const std::wstring& t = run.text;
        size_t i = 0;
        while (i < t.size()) {
            Unit u;
            u.link = run.link;
            u.element = run.element;
            size_t start = i;
            do
                ++i;
            while (i < t.size() && !IsBreakSpace(t[i]) && !BreakOpportunity(t, i));
            size_t bodyEnd = i;
            while (i < t.size() && IsBreakSpace(t[i]))
                ++i;
            u.text = t.substr(start, i - start);
            u.body = bodyEnd - start;
            units.push_back(std::move(u));
        }
    }
    return units;
}

class LineBuilder {
public:
    LineBuilder(PageLayout& out, int lineHeight, bool heading, const MeasureText& measure)
        : out_(out), lineHeight_(lineHeight), heading_(heading), measure_(measure) {}

    int X() const { return x_; }

    void NewLine() {
        y_ += lineTall_;
        lineTall_ = lineHeight_;
        x_ = 0;
        lastPiece_ = -1;
    }

    void PlaceBox(int w, int h, int link, int element) {
        LayoutPiece p;
        p.x = x_;
        p.y = y_;
        p.width = w;
        p.height = h;
        p.link = link;
        p.element = element;
        p.box = true;
        out_.pieces.push_back(std::move(p));
        lastPiece_ = -1;
        lineTall_ = std::max(lineTall_, h);
        x_ += w;
    }

    void Place(std::wstring_view text, int w, int link, int element) {
        if (text.empty())
            return;
        if (lastPiece_ >= 0 && out_.pieces[size_t(lastPiece_)].link == link &&
            out_.pieces[size_t(lastPiece_)].element == element) {
            auto& p = out_.pieces[size_t(lastPiece_)];
            p.text += text;
            p.width += w;
        } else {
            LayoutPiece p;
            p.x = x_;
            p.y = y_;
            p.width = w;
            p.height = lineHeight_;
            p.text = std::wstring(text);
            p.link = link;
            p.heading = heading_;
            p.element = element;
            out_.pieces.push_back(std::move(p));
            lastPiece_ = static_cast<int>(out_.pieces.size()) - 1;
        }
        x_ += w;
    }

    int Measure(std::wstring_view s) const { return s.empty() ? 0 : measure_(s, heading_); }

    int Y() const { return y_; }
    int Tall() const { return lineTall_; }
    void SetY(int y) { y_ = y; }

private:
    PageLayout& out_;
    int lineHeight_;
    bool heading_;
    const MeasureText& measure_;
    int x_ = 0, y_ = 0;
    int lineTall_ = lineHeight_;
    int lastPiece_ = -1;
};

// Longest prefix (at least one character, never half a surrogate pair) that fits.
size_t FittingPrefix(std::wstring_view s, int room, const LineBuilder& line) {
    size_t best = 0;
    for (size_t n = 1; n <= s.size(); ++n) {
        if (SplitsSurrogatePair(s, n))
            continue;
        if (line.Measure(s.substr(0, n)) > room)
            break;
        best = n;
    }
    if (best == 0)
        best = SplitsSurrogatePair(s, 1) ? 2 : 1;
    return std::min(best, s.size());
}

}  // namespace

PageLayout LayoutBlocks(const std::vector<HtmlBlock>& blocks, int width, int lineHeight, const MeasureText& measure,
                        const MeasureBox& measureBox) {
    PageLayout layout;
    width = std::max(width, 1);
    lineHeight = std::max(lineHeight, 1);
    int y = 0;
    for (const auto& block : blocks) {
        LineBuilder line(layout, lineHeight, block.heading, measure);
        y += std::max(block.gapBefore, 0);
        line.SetY(y);
        for (const auto& unit : SplitUnits(block)) {
            if (unit.box >= 0) {
                int bw = 0, bh = 0;
                if (measureBox)
                    measureBox(unit.box, bw, bh);
                bw = std::max(bw, 0);
                bh = std::max(bh, 0);
                if (line.X() > 0 && line.X() + bw > width)
                    line.NewLine();
                line.PlaceBox(bw, bh, unit.link, unit.element);
                continue;
            }
            std::wstring_view text = unit.text;
            size_t body = unit.body;
            int bodyWidth = line.Measure(text.substr(0, body));
            if (line.X() > 0 && line.X() + bodyWidth > width) {
                line.NewLine();
            }
            if (line.X() == 0) {
                // No blanks at the start of a line.
                size_t lead = 0;
                while (lead < body && IsBreakSpace(text[lead]))
                    ++lead;
                if (lead == body && body < text.size())
                    continue;  // nothing but blanks
                text.remove_prefix(lead);
                body -= lead;
                bodyWidth = line.Measure(text.substr(0, body));
            }
            // A word wider than the line is cut between characters.
            while (body > 0 && line.X() == 0 && bodyWidth > width) {
                size_t n = FittingPrefix(text.substr(0, body), width, line);
                if (n >= body)
                    break;
                line.Place(text.substr(0, n), line.Measure(text.substr(0, n)), unit.link, unit.element);
                line.NewLine();
                text.remove_prefix(n);
                body -= n;
                bodyWidth = line.Measure(text.substr(0, body));
            }
            line.Place(text, line.Measure(text), unit.link, unit.element);
        }
        y = line.Y() + line.Tall();
    }
    layout.height = y;
    layout.flowHeight = y;
    return layout;
}

int LinkAt(const PageLayout& layout, int x, int y) {
    for (auto it = layout.pieces.rbegin(); it != layout.pieces.rend(); ++it) {
        const auto& p = *it;
        if (p.link >= 0 && x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height)
            return p.link;
    }
    return -1;
}

}  // namespace ovn::browser
