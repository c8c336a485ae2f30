#include "launcher/tab_strip.h"

#include <gtest/gtest.h>

using namespace ovn::launcher;

namespace {

using Spans = std::vector<Span>;

}  // namespace

TEST(TabStripGeometry, TabsLabelsAndCloseBoxes) {
    EXPECT_EQ(TabRect(0), (Span{120, 3, 309, 25}));
    EXPECT_EQ(TabRect(2), (Span{498, 3, 687, 25}));
    EXPECT_EQ(TabLabelRect(0), (Span{136, 8, 296, 22}));  // 160 pixels, up to the close box
    EXPECT_EQ(TabLabelRect(1), (Span{325, 8, 485, 22}));
    EXPECT_EQ(TabCloseBoxRect(0), (Span{296, 3, 309, 16}));
    EXPECT_EQ(TabCloseBoxRect(2), (Span{674, 3, 687, 16}));
    EXPECT_EQ(TabStripRect(0), (Span{120, 3, 120, 25}));
    EXPECT_EQ(TabStripRect(3), (Span{120, 3, 687, 25}));
    EXPECT_EQ(TabStripAfterCloseRect(1), (Span{120, 3, 498, 25}));
}

TEST(TabStripGeometry, HitAreasAtTheirEdges) {
    // No tabs, no strip.
    EXPECT_FALSE(HitTestTabs(121, 10, 0).Over());
    EXPECT_FALSE(HitTestTabs(200, 10, 0).Over());

    // The strip's first column belongs to the caption.
    EXPECT_EQ(HitTestTabs(120, 10, 1), TabHit{});
    EXPECT_EQ(HitTestTabs(121, 10, 1), (TabHit{0, false}));
    EXPECT_EQ(HitTestTabs(308, 20, 1), (TabHit{0, false}));  // the last pixel of tab 0
    EXPECT_EQ(HitTestTabs(309, 20, 1), TabHit{});
    EXPECT_EQ(HitTestTabs(309, 20, 2), (TabHit{1, false}));
    EXPECT_EQ(HitTestTabs(497, 20, 2), (TabHit{1, false}));
    EXPECT_EQ(HitTestTabs(498, 20, 2), TabHit{});
    EXPECT_EQ(HitTestTabs(498, 20, 3), (TabHit{2, false}));
    EXPECT_EQ(HitTestTabs(686, 20, 3), (TabHit{2, false}));
    EXPECT_EQ(HitTestTabs(687, 20, 3), TabHit{});

    // Rows 3 to 24.
    EXPECT_FALSE(HitTestTabs(200, 2, 2).Over());
    EXPECT_TRUE(HitTestTabs(200, 3, 2).Over());
    EXPECT_TRUE(HitTestTabs(200, 24, 2).Over());
    EXPECT_FALSE(HitTestTabs(200, 25, 2).Over());

    // The close box of tab 0: x 296 to 308, y 3 to 15, all four corners.
    for (auto [x, y] : {std::pair{296, 3}, {308, 3}, {296, 15}, {308, 15}})
        EXPECT_EQ(HitTestTabs(x, y, 2), (TabHit{0, true})) << x << "," << y;
    EXPECT_EQ(HitTestTabs(295, 3, 2), (TabHit{0, false}));
    EXPECT_EQ(HitTestTabs(296, 16, 2), (TabHit{0, false}));
    EXPECT_EQ(HitTestTabs(309, 3, 2), (TabHit{1, false}));  // tab 1's first column
    EXPECT_EQ(HitTestTabs(674, 3, 3), (TabHit{2, true}));
    EXPECT_EQ(HitTestTabs(686, 15, 3), (TabHit{2, true}));
    // A close box only where its tab exists.
    EXPECT_FALSE(HitTestTabs(674, 3, 2).Over());
}

TEST(TabStripGeometry, ImageOfEachTab) {
    EXPECT_EQ(TabImageFor(0, 1, -1), TabNormal);
    EXPECT_EQ(TabImageFor(0, 1, 0), TabHover);
    EXPECT_EQ(TabImageFor(1, 1, 0), TabCurrent);
    EXPECT_EQ(TabImageFor(1, 1, 1), TabCurrent);  // current wins over hovered
}

TEST(TabStripHover, BodyCloseBoxAndOtherTab) {
    TabStrip strip;
    EXPECT_EQ(strip.Hover(), -1);
    EXPECT_EQ(strip.CloseState(), CloseNone);

    // Onto tab 0's body: it is repainted, the tooltip comes on with its label.
    HoverOutcome o = strip.MouseAt(200, 10, 2, false, false);
    EXPECT_EQ(o.repaint, Spans{TabRect(0)});
    EXPECT_EQ(o.tipTextTab, 0);
    EXPECT_EQ(o.tip, TipChange::Activate);
    EXPECT_EQ(o.track, LeaveTracking::Client);
    strip.LeaveTracked(o.track, true);
    EXPECT_EQ(strip.Hover(), 0);
    EXPECT_EQ(strip.CloseState(), CloseNormal);
    EXPECT_TRUE(strip.TipActive());

    // Moving within the body changes nothing.
    o = strip.MouseAt(201, 11, 2, false, false);
    EXPECT_TRUE(o.repaint.empty());
    EXPECT_EQ(o.tip, TipChange::Keep);
    EXPECT_EQ(o.tipTextTab, -1);
    EXPECT_EQ(o.track, LeaveTracking::None);

    // Onto its close box: only the box is repainted, and there is no tooltip.
    o = strip.MouseAt(300, 5, 2, false, false);
    EXPECT_EQ(o.repaint, Spans{TabCloseBoxRect(0)});
    EXPECT_EQ(o.tip, TipChange::Deactivate);
    EXPECT_EQ(strip.CloseState(), CloseHot);
    EXPECT_FALSE(strip.TipActive());

    // Held down there: pressed.
    o = strip.MouseAt(300, 5, 2, true, false);
    EXPECT_EQ(o.repaint, Spans{TabCloseBoxRect(0)});
    EXPECT_EQ(strip.CloseState(), ClosePressed);
    o = strip.MouseAt(301, 6, 2, true, false);
    EXPECT_TRUE(o.repaint.empty());

    // Back on the body: the box shows normal, the tooltip comes back.
    o = strip.MouseAt(250, 20, 2, false, false);
    EXPECT_EQ(o.repaint, Spans{TabCloseBoxRect(0)});
    EXPECT_EQ(strip.CloseState(), CloseNormal);
    EXPECT_EQ(o.tip, TipChange::Activate);
    EXPECT_EQ(o.tipTextTab, 0);

    // Onto tab 1: both whole tabs are repainted; the old tooltip goes first...
    o = strip.MouseAt(400, 20, 2, false, false);
    EXPECT_EQ(o.repaint, (Spans{TabRect(0), TabRect(1)}));
    EXPECT_EQ(o.tip, TipChange::Deactivate);
    EXPECT_EQ(strip.Hover(), 1);
    EXPECT_EQ(strip.CloseState(), CloseNormal);
    // ...and comes back with tab 1's label at the next move.
    o = strip.MouseAt(401, 20, 2, false, false);
    EXPECT_EQ(o.tip, TipChange::Activate);
    EXPECT_EQ(o.tipTextTab, 1);
    EXPECT_TRUE(o.repaint.empty());

    // Out of the strip: the hovered tab is repainted plain, the tooltip goes.
    o = strip.MouseAt(400, 26, 2, false, false);
    EXPECT_EQ(o.repaint, Spans{TabRect(1)});
    EXPECT_EQ(o.tip, TipChange::Deactivate);
    EXPECT_EQ(strip.Hover(), -1);
    EXPECT_EQ(strip.CloseState(), CloseNone);
    o = strip.MouseAt(100, 10, 2, false, false);
    EXPECT_TRUE(o.repaint.empty());
    EXPECT_EQ(o.tip, TipChange::Keep);
}

TEST(TabStripHover, StraightOntoACloseBox) {
    TabStrip strip;
    // The label is given, but the tooltip stays off over a close box.
    HoverOutcome o = strip.MouseAt(485, 4, 2, false, true);
    EXPECT_EQ(o.repaint, Spans{TabRect(1)});
    EXPECT_EQ(o.tipTextTab, 1);
    EXPECT_EQ(o.tip, TipChange::Keep);
    EXPECT_FALSE(strip.TipActive());
    EXPECT_EQ(strip.Hover(), 1);
    EXPECT_EQ(strip.CloseState(), CloseHot);
    // From tab 1's close box onto tab 0's close box.
    o = strip.MouseAt(296, 3, 2, false, true);
    EXPECT_EQ(o.repaint, (Spans{TabRect(1), TabRect(0)}));
    EXPECT_EQ(strip.Hover(), 0);
    EXPECT_EQ(strip.CloseState(), CloseHot);
}

TEST(TabStripHover, LeaveNotificationsMatchTheKindOfMessages) {
    TabStrip strip;
    // Normal window: the strip is caption, the notification a non-client one.
    HoverOutcome o = strip.MouseAt(200, 10, 1, false, true);
    EXPECT_EQ(o.track, LeaveTracking::NonClient);
    strip.LeaveTracked(o.track, true);
    EXPECT_TRUE(strip.TrackingLeave());
    EXPECT_EQ(strip.MouseAt(201, 10, 1, false, true).track, LeaveTracking::None);
    // Maximised: client messages, so a client notification instead.
    EXPECT_EQ(strip.MouseAt(202, 10, 1, false, false).track, LeaveTracking::Client);
    // Refused: asked again at the next move.
    strip.LeaveTracked(LeaveTracking::Client, false);
    EXPECT_FALSE(strip.TrackingLeave());
    EXPECT_EQ(strip.MouseAt(203, 10, 1, false, false).track, LeaveTracking::Client);
    strip.LeaveTracked(LeaveTracking::Client, true);

    // The mouse left: the hovered tab is repainted, the tracking is over.
    EXPECT_EQ(strip.MouseLeft(), Spans{TabRect(0)});
    EXPECT_EQ(strip.Hover(), -1);
    EXPECT_EQ(strip.CloseState(), CloseNone);
    EXPECT_FALSE(strip.TrackingLeave());
    EXPECT_TRUE(strip.MouseLeft().empty());
    EXPECT_EQ(strip.MouseAt(203, 10, 1, false, false).track, LeaveTracking::Client);
}

TEST(TabStripClicks, PressSelectsAndArmsTheCloseBox) {
    TabStrip strip;
    // Not over the strip: the frame's own press.
    EXPECT_FALSE(strip.Press(120, 10, 3, 0, false).handled);
    EXPECT_FALSE(strip.Press(700, 10, 3, 0, false).handled);

    // Another tab's body: it becomes current; both tabs repainted; nothing armed.
    PressOutcome p = strip.Press(400, 20, 3, 0, false);
    EXPECT_TRUE(p.handled);
    EXPECT_EQ(p.show, 1);
    EXPECT_EQ(p.repaint, (Spans{TabRect(0), TabRect(1)}));
    EXPECT_EQ(strip.CloseState(), CloseNone);

    // The current tab: nothing to do, unless the hall is in front of its page.
    p = strip.Press(400, 20, 3, 1, false);
    EXPECT_TRUE(p.handled);
    EXPECT_EQ(p.show, -1);
    EXPECT_TRUE(p.repaint.empty());
    EXPECT_EQ(strip.Press(400, 20, 3, 1, true).show, 1);

    // The close box of a tab that is not current: made current and armed.
    strip.MouseAt(200, 10, 3, false, false);  // tab 0 hovered before
    p = strip.Press(680, 5, 3, 1, false);
    EXPECT_EQ(p.show, 2);
    EXPECT_EQ(p.repaint, (Spans{TabRect(1), TabRect(2), TabRect(0), TabCloseBoxRect(2)}));
    EXPECT_EQ(strip.Hover(), 2);
    EXPECT_EQ(strip.CloseState(), ClosePressed);

    // The current tab's close box: only the box changes.
    p = strip.Press(680, 5, 3, 2, false);
    EXPECT_EQ(p.show, -1);
    EXPECT_EQ(p.repaint, Spans{TabCloseBoxRect(2)});

    strip.ForgetHover();
    EXPECT_EQ(strip.Hover(), -1);
    EXPECT_EQ(strip.CloseState(), CloseNone);
}

TEST(TabStripClicks, ReleaseAndMiddleClickClose) {
    // The left button closes over a close box only.
    EXPECT_EQ(TabStrip::ReleaseCloses(300, 10, 2), 0);
    EXPECT_EQ(TabStrip::ReleaseCloses(490, 3, 2), 1);
    EXPECT_EQ(TabStrip::ReleaseCloses(250, 10, 2), -1);
    EXPECT_EQ(TabStrip::ReleaseCloses(300, 16, 2), -1);
    EXPECT_EQ(TabStrip::ReleaseCloses(680, 5, 2), -1);  // no tab 2
    // The middle button anywhere on a tab.
    EXPECT_EQ(TabStrip::MiddleCloses(121, 24, 2), 0);
    EXPECT_EQ(TabStrip::MiddleCloses(490, 3, 2), 1);
    EXPECT_EQ(TabStrip::MiddleCloses(120, 10, 2), -1);
    EXPECT_EQ(TabStrip::MiddleCloses(300, 26, 2), -1);
}
