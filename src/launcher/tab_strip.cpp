#include "launcher/tab_strip.h"

namespace ovn::launcher {

namespace {

constexpr int kLabelInset = 16;  // the label starts this far into its tab
constexpr int kLabelTop = 8;
constexpr int kLabelBottom = 22;

// Edges at 100 %, scaled one by one, so neighbouring tabs still touch.
int TabLeft(int index, DisplayScale scale) { return scale.Px(kTabStripLeft + kTabWidth * index); }

}  // namespace

Span TabRect(int index, DisplayScale scale) {
    return {TabLeft(index, scale), scale.Px(kTabTop), TabLeft(index + 1, scale),
            scale.Px(kTabTop + kTabHeight)};
}

Span TabLabelRect(int index, DisplayScale scale) {
    const int left = kTabStripLeft + kTabWidth * index;
    return {scale.Px(left + kLabelInset), scale.Px(kLabelTop), scale.Px(left + kTabWidth - kCloseBoxSize),
            scale.Px(kLabelBottom)};
}

Span TabCloseBoxRect(int index, DisplayScale scale) {
    const int right = kTabStripLeft + kTabWidth * (index + 1);
    return {scale.Px(right - kCloseBoxSize), scale.Px(kTabTop), scale.Px(right),
            scale.Px(kTabTop + kCloseBoxSize)};
}

Span TabStripRect(std::size_t tabs, DisplayScale scale) {
    return {scale.Px(kTabStripLeft), scale.Px(kTabTop), TabLeft(static_cast<int>(tabs), scale),
            scale.Px(kTabTop + kTabHeight)};
}

Span TabStripAfterCloseRect(std::size_t tabsLeft, DisplayScale scale) {
    return TabStripRect(tabsLeft + 1, scale);
}

TabHit HitTestTabs(int x, int y, std::size_t tabs, DisplayScale scale) {
    const Span strip = TabStripRect(tabs, scale);
    if (y < strip.top || y >= strip.bottom || x <= strip.left || x >= strip.right)
        return {};
    int tab = 0;
    while (x >= TabLeft(tab + 1, scale))
        ++tab;
    const Span box = TabCloseBoxRect(tab, scale);
    return {tab, x >= box.left && x < box.right && y < box.bottom};
}

TabImage TabImageFor(int index, int selected, int hover) {
    if (index == selected)
        return TabCurrent;
    return index == hover ? TabHover : TabNormal;
}

HoverOutcome TabStrip::MouseAt(int x, int y, std::size_t tabs, bool leftDown, bool overCaption) {
    HoverOutcome out;
    const TabHit hit = HitTestTabs(x, y, tabs, m_scale);
    if (!hit.Over()) {
        if (m_nHover >= 0)
            out.repaint.push_back(TabRect(m_nHover, m_scale));
        if (m_bTipActive)
            out.tip = TipChange::Deactivate;
        m_bTipActive = false;
        ForgetHover();
        return out;
    }

    const int e = hit.tab;
    const bool tipWasActive = m_bTipActive;
    if (!m_bTipActive) {
        m_bTipActive = true;
        out.tipTextTab = e;
    } else if (e != m_nHover) {
        // Off for one move, so the tooltip of the old tab goes; the next move
        // brings it back with the new label.
        m_bTipActive = false;
    }
    int close = CloseNormal;
    if (hit.closeBox) {
        close = leftDown ? ClosePressed : CloseHot;
        m_bTipActive = false;  // the close box has no tooltip
    }
    if (m_bTipActive != tipWasActive)
        out.tip = m_bTipActive ? TipChange::Activate : TipChange::Deactivate;

    if (e != m_nHover || close != m_nCloseState) {
        const int old = m_nHover;
        if (old >= 0)
            out.repaint.push_back(e == old ? TabCloseBoxRect(old, m_scale) : TabRect(old, m_scale));
        m_nHover = e;
        m_nCloseState = close;
        if (old != e)
            out.repaint.push_back(TabRect(e, m_scale));
    }

    // Over the caption of a window in its normal state the messages are
    // non-client ones, and so must be the leave notification: a client one
    // would come at once and take the hover away under the mouse.
    const LeaveTracking want = overCaption ? LeaveTracking::NonClient : LeaveTracking::Client;
    if (!m_bTrackingLeave || m_tracked != want)
        out.track = want;
    return out;
}

PressOutcome TabStrip::Press(int x, int y, std::size_t tabs, int selected, bool hallShown) {
    PressOutcome out;
    const TabHit hit = HitTestTabs(x, y, tabs, m_scale);
    if (!hit.Over())
        return out;
    out.handled = true;
    const int b = hit.tab;
    if (b != selected) {
        out.show = b;
        out.repaint.push_back(TabRect(selected, m_scale));
        out.repaint.push_back(TabRect(b, m_scale));
    } else if (hallShown) {
        out.show = b;  // the current page comes back in front of the hall
    }
    if (hit.closeBox) {
        // Armed only: the tab closes when the button comes up over the box.
        if (m_nHover >= 0 && m_nHover != b)
            out.repaint.push_back(TabRect(m_nHover, m_scale));
        m_nHover = b;
        m_nCloseState = ClosePressed;
        out.repaint.push_back(TabCloseBoxRect(b, m_scale));
    }
    return out;
}

int TabStrip::ReleaseCloses(int x, int y, std::size_t tabs, DisplayScale scale) {
    const TabHit hit = HitTestTabs(x, y, tabs, scale);
    return hit.closeBox ? hit.tab : -1;
}

std::vector<Span> TabStrip::MouseLeft() {
    std::vector<Span> repaint;
    if (m_nHover >= 0)
        repaint.push_back(TabRect(m_nHover, m_scale));
    ForgetHover();
    m_bTrackingLeave = false;
    m_tracked = LeaveTracking::None;
    return repaint;
}

void TabStrip::LeaveTracked(LeaveTracking kind, bool ok) {
    m_bTrackingLeave = ok && kind != LeaveTracking::None;
    m_tracked = m_bTrackingLeave ? kind : LeaveTracking::None;
}

}  // namespace ovn::launcher
