// The page tab strip of the launcher window: where each tab, its label and its
// close box lie in the caption band, what a point there hits, and the hover and
// close-box state the mouse drives. Platform-free; points and rectangles are
// client pixels. The launcher's glue (tab_strip_win) paints what this holds and
// carries out what it decides.
#pragma once
#include <cstddef>
#include <vector>

#include "common/display_scale.h"

namespace ovn::launcher {

struct Span {  // left, top, right, bottom (right and bottom exclusive)
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Span&, const Span&) = default;
};

// The strip's lengths at 100 %; every rule below takes the window's scale and
// answers in its pixels (edges scaled one by one: tabs still touch).
inline constexpr int kTabStripLeft = 120;
inline constexpr int kTabWidth = 189;
inline constexpr int kTabTop = 3;
inline constexpr int kTabHeight = 22;
inline constexpr int kCloseBoxSize = 13;

// Tab i: 189 x 22 from (120 + 189 i, 3); tabs touch each other.
Span TabRect(int index, DisplayScale scale = {});
// Where its label is written: from 16 pixels into the tab to the close box.
Span TabLabelRect(int index, DisplayScale scale = {});
// Its close box: 13 x 13 at the tab's top right.
Span TabCloseBoxRect(int index, DisplayScale scale = {});
// The strip from its left edge to the end of n tabs.
Span TabStripRect(std::size_t tabs, DisplayScale scale = {});
// What closing a tab repaints: from the strip's left to the right of n + 1 tabs.
Span TabStripAfterCloseRect(std::size_t tabsLeft, DisplayScale scale = {});

// What a point hits. The strip takes 120 < x < 120 + 189 n (its very first
// column belongs to the caption) and 3 <= y <= 24; a close box, the columns of
// its tab's last 13 pixels and y < 16.
struct TabHit {
    int tab = -1;  // -1: not over the strip
    bool closeBox = false;
    bool Over() const { return tab >= 0; }
    friend bool operator==(const TabHit&, const TabHit&) = default;
};
TabHit HitTestTabs(int x, int y, std::size_t tabs, DisplayScale scale = {});

// The images of the tab and close-box strips.
enum TabImage : int { TabNormal = 0, TabHover = 1, TabCurrent = 2 };
enum CloseState : int { CloseNone = -1, CloseNormal = 0, CloseHot = 1, ClosePressed = 2 };

// The current tab shows as current even under the mouse.
TabImage TabImageFor(int index, int selected, int hover);

// What the tooltip is told after a mouse move.
enum class TipChange { Keep, Activate, Deactivate };
// Which leave notification to ask the system for.
enum class LeaveTracking { None, Client, NonClient };

struct HoverOutcome {
    std::vector<Span> repaint;
    int tipTextTab = -1;  // the tooltip's text becomes this tab's label (-1: unchanged)
    TipChange tip = TipChange::Keep;
    LeaveTracking track = LeaveTracking::None;
};

struct PressOutcome {
    bool handled = false;  // false: not over the strip, the frame's own handling applies
    int show = -1;         // the tab whose page to show (and make current), -1: none
    std::vector<Span> repaint;
};

// The mouse's state over the strip. Every change names the areas to repaint, so
// the next background erase draws them anew.
class TabStrip {
public:
    // The mouse is at (x, y). leftDown: the left button is held. overCaption:
    // the frame's hit test answered "caption" there (the window is in its
    // normal state and the mouse messages arrive as non-client ones).
    HoverOutcome MouseAt(int x, int y, std::size_t tabs, bool leftDown, bool overCaption);

    // A left press: over a tab it makes that tab current (or brings it back in
    // front of the game hall) and, on its close box, arms the box.
    PressOutcome Press(int x, int y, std::size_t tabs, int selected, bool hallShown);

    // A left release closes the tab whose close box it is over; -1: none.
    static int ReleaseCloses(int x, int y, std::size_t tabs, DisplayScale scale = {});
    // A middle click closes the tab it is over, close box or not; -1: none.
    static int MiddleCloses(int x, int y, std::size_t tabs, DisplayScale scale = {}) {
        return HitTestTabs(x, y, tabs, scale).tab;
    }

    // The mouse left the window (or its non-client part): no tab is hovered, and
    // the notification that said so has ended its tracking.
    std::vector<Span> MouseLeft();

    // The system took (or refused) the leave notification asked for.
    void LeaveTracked(LeaveTracking kind, bool ok);

    // The window's scale, which the strip's places follow from now on.
    void SetScale(DisplayScale scale) { m_scale = scale; }
    DisplayScale Scale() const { return m_scale; }

    // A tab was closed or kept after its question: nothing is hovered any more.
    void ForgetHover() { m_nHover = -1, m_nCloseState = CloseNone; }

    int Hover() const { return m_nHover; }
    int CloseState() const { return m_nCloseState; }
    bool TipActive() const { return m_bTipActive; }
    bool TrackingLeave() const { return m_bTrackingLeave; }

private:
    DisplayScale m_scale;
    int m_nHover = -1;
    int m_nCloseState = CloseNone;
    bool m_bTipActive = false;
    bool m_bTrackingLeave = false;
    LeaveTracking m_tracked = LeaveTracking::None;
};

}  // namespace ovn::launcher
