// The geometry rules at the four display scales players meet most: 100, 125,
// 150 and 200 %. At 100 % every rule keeps its own tests' numbers; here each
// rule is checked at every scale at once, against worked values and against
// what must hold at any scale (pieces that touch still touch, everything lies
// inside its window).
#include <gtest/gtest.h>

#include <array>

#include "common/display_scale.h"
#include "common/page_area.h"
#include "downloads/notice_rules.h"
#include "gamepage/login_place.h"
#include "launcher/launcher_layout.h"
#include "launcher/tab_strip.h"
#include "res/resource.h"
#include "skin/label_layout.h"
#include "skin/message_box_layout.h"
#include "skin/skin_geometry.h"
#include "skin/skin_scale.h"

using ovn::DisplayScale;

namespace {

constexpr std::array<int, 4> kDpis = {96, 120, 144, 192};

}  // namespace

TEST(DisplayScale, OneRoundingRuleHalfAwayFromZero) {
    struct Case {
        int dpi, length, px;
    };
    const Case cases[] = {
        {96, 30, 30},   {96, -3, -3},  {120, 2, 3},   {120, -2, -3}, {120, 30, 38}, {120, 27, 34},
        {144, 3, 5},    {144, 9, 14},  {144, -1, -2}, {144, 27, 41}, {192, 30, 60}, {192, -7, -14},
        {120, 1, 1},    {144, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayScale(c.dpi).Px(c.length), c.px) << c.dpi << " " << c.length;
    EXPECT_EQ(DisplayScale(144).Percent(), 150);
    EXPECT_EQ(DisplayScale(120).Span(114, 27), 176 - 143);  // by its edges: 176.25 and 142.5
    // An unset or corrupt reading is 100 %.
    for (const int bad : {0, -96, 961, 1 << 30})
        EXPECT_TRUE(DisplayScale(bad).IsBase()) << bad;
    EXPECT_EQ(DisplayScale(960).Px(10), 100);
}

TEST(DisplayScale, ALengthMadeForAnotherDpi) {
    // The system's message font, made for its own DPI, at each scale.
    EXPECT_EQ(DisplayScale(96).FromDpi(-11, 96), -11);
    EXPECT_EQ(DisplayScale(144).FromDpi(-11, 96), -17);   // -16.5, away from zero
    EXPECT_EQ(DisplayScale(192).FromDpi(-17, 144), -23);  // -22.67
    EXPECT_EQ(DisplayScale(96).FromDpi(-22, 192), -11);
    EXPECT_EQ(DisplayScale(120).FromDpi(15, 144), 13);    // 12.5, away from zero
    EXPECT_EQ(DisplayScale(144).FromDpi(-11, 0), -11);    // no DPI known: as it is
}

TEST(DisplayScale, FrameCaptionHitBandAndCorners) {
    using namespace ovn::skin;
    struct Expect {
        FrameMetrics frame;
        int fontHeight;
        CaptionLayout caption;
        int topBand, corner, buttonGap;
    };
    const std::array<Expect, 4> expected = {{
        {{4, 30}, 12, {4, 7, 25, 7}, 3, 9, 2},
        {{5, 38}, 15, {5, 9, 31, 9}, 4, 11, 3},
        {{6, 45}, 18, {6, 11, 38, 11}, 5, 14, 3},
        {{8, 60}, 24, {8, 15, 50, 14}, 6, 18, 4},
    }};
    for (std::size_t i = 0; i < kDpis.size(); ++i) {
        const DisplayScale s(kDpis[i]);
        const Expect& e = expected[i];
        SCOPED_TRACE(kDpis[i]);
        const FrameMetrics m = ScaledFrameMetrics(FrameMetrics{4, 30}, s);
        EXPECT_EQ(m.border, e.frame.border);
        EXPECT_EQ(m.captionHeight, e.frame.captionHeight);
        EXPECT_EQ(ScaledFrameMetrics(FrameMetrics{3, -1}, s).captionHeight, -1);  // all caption stays so

        const CaptionLayout c = LayoutCaption(m, true, -e.fontHeight, s);
        EXPECT_EQ(c.iconX, e.caption.iconX);
        EXPECT_EQ(c.iconY, e.caption.iconY);
        EXPECT_EQ(c.titleX, e.caption.titleX);
        EXPECT_EQ(c.titleY, e.caption.titleY);

        const FrameState resizable{false, true};
        EXPECT_EQ(HitTestFrame(100, e.topBand - 1, 400, 300, m, resizable, s), FrameHit::Top);
        EXPECT_EQ(HitTestFrame(100, e.topBand, 400, 300, m, resizable, s), FrameHit::Caption);
        EXPECT_EQ(HitTestFrame(100, m.captionHeight, 400, 300, m, resizable, s), FrameHit::Default);
        EXPECT_EQ(HitTestFrame(m.border - 1, 100, 400, 300, m, resizable, s), FrameHit::Left);

        // A frame bitmap that is all key: each corner square of the scaled size
        // is cut, and nothing between them.
        const int bm = 60, win = 100;
        const auto runs = CornerCutRuns(bm, bm, win, win, [](int, int) { return true; }, s);
        ASSERT_EQ(runs.size(), static_cast<std::size_t>(4 * e.corner));
        EXPECT_EQ(runs.front(), (PixelRun{0, 0, e.corner}));
        EXPECT_EQ(runs[1], (PixelRun{0, win - e.corner, win}));
        EXPECT_EQ(runs.back(), (PixelRun{win - 1, win - e.corner, win}));

        // The buttons' widths are their bitmaps'; the gap between them scales.
        const auto lefts = LayoutSystemButtons(500, 2, {33, 27, 27}, s);
        EXPECT_EQ(lefts[0], 467);
        EXPECT_EQ(lefts[1], 467 - e.buttonGap - 27);
        EXPECT_EQ(lefts[2], lefts[1] - e.buttonGap - 27);
    }
}

TEST(DisplayScale, TabStripTabsTouchAndHitWhereDrawn) {
    using namespace ovn::launcher;
    const std::array<Span, 4> tab1 = {{
        {309, 3, 498, 25}, {386, 4, 623, 31}, {464, 5, 747, 38}, {618, 6, 996, 50},
    }};
    for (std::size_t i = 0; i < kDpis.size(); ++i) {
        const DisplayScale s(kDpis[i]);
        SCOPED_TRACE(kDpis[i]);
        EXPECT_EQ(TabRect(1, s), tab1[i]);
        for (int t = 0; t < 3; ++t) {
            const Span tab = TabRect(t, s), box = TabCloseBoxRect(t, s), label = TabLabelRect(t, s);
            EXPECT_EQ(tab.right, TabRect(t + 1, s).left);  // touching
            EXPECT_EQ(box.right, tab.right);
            EXPECT_EQ(box.top, tab.top);
            EXPECT_EQ(label.right, box.left);
            EXPECT_GT(label.left, tab.left);
            // What a point hits is the tab drawn there, to its last column.
            EXPECT_EQ(HitTestTabs(tab.left + (t == 0), tab.top, 3, s), (TabHit{t, false}));
            EXPECT_EQ(HitTestTabs(tab.right - 1, box.bottom - 1, 3, s), (TabHit{t, true}));
            EXPECT_EQ(HitTestTabs(tab.right - 1, box.bottom, 3, s), (TabHit{t, false}));
            EXPECT_EQ(TabStrip::ReleaseCloses(box.left, box.top, 3, s), t);
            EXPECT_EQ(TabStrip::MiddleCloses(tab.left + 1, tab.bottom - 1, 3, s), t);
        }
        const Span strip = TabStripRect(3, s);
        EXPECT_EQ(strip.right, TabRect(2, s).right);
        EXPECT_FALSE(HitTestTabs(strip.left, strip.top, 3, s).Over());  // the caption's column
        EXPECT_FALSE(HitTestTabs(strip.right, strip.top, 3, s).Over());
        EXPECT_FALSE(HitTestTabs(strip.left + 1, strip.bottom, 3, s).Over());
        EXPECT_EQ(TabStripAfterCloseRect(1, s), TabStripRect(2, s));

        // The mouse's state follows the scale it was given.
        TabStrip strip2;
        strip2.SetScale(s);
        const Span box = TabCloseBoxRect(1, s);
        strip2.MouseAt(box.left, box.top, 3, false, true);
        EXPECT_EQ(strip2.Hover(), 1);
        EXPECT_EQ(strip2.CloseState(), CloseHot);
        const PressOutcome press = strip2.Press(TabRect(2, s).left, TabRect(2, s).top, 3, 0, false);
        EXPECT_EQ(press.show, 2);
    }
}

TEST(DisplayScale, LauncherLayoutAndPageArea) {
    using namespace ovn::launcher;
    struct Expect {
        int minWidth1, minHeight;
        ovn::Box page;  // of a 1000 x 700 client
    };
    const std::array<Expect, 4> expected = {{
        {672, 260, {4, 30, 992, 666}},
        {840, 325, {5, 38, 990, 657}},
        {1008, 390, {6, 45, 988, 649}},
        {1344, 520, {8, 60, 984, 632}},
    }};
    for (std::size_t i = 0; i < kDpis.size(); ++i) {
        const DisplayScale s(kDpis[i]);
        const Expect& e = expected[i];
        SCOPED_TRACE(kDpis[i]);
        const SizeClamp c = ClampWindowSize(1, 10, 10, s);
        EXPECT_TRUE(c.adjust);
        EXPECT_EQ(c.width, e.minWidth1);
        EXPECT_EQ(c.height, e.minHeight);
        EXPECT_FALSE(ClampWindowSize(1, e.minWidth1, e.minHeight, s).adjust);
        EXPECT_EQ(ovn::PageArea(1000, 700, s), e.page);

        // Right to left: hide, sound, menu, hall touch one another; the link
        // keeps its 8 pixels (at 100 %) from the hall button.
        const auto places = TitleStripLayout(1000, s);
        auto right = [](const TitleControlPlace& p) { return p.box.x + p.box.w; };
        EXPECT_EQ(right(places[0]), 1000 - s.Px(87));
        EXPECT_EQ(right(places[1]), places[0].box.x);
        EXPECT_EQ(right(places[2]), places[1].box.x);
        EXPECT_EQ(right(places[3]), places[2].box.x);
        EXPECT_EQ(places[3].box.x - right(places[4]), s.Px(268) - s.Px(264));
        EXPECT_EQ(places[4].box.y, s.Px(7));
        EXPECT_EQ(places[2].box.h, s.Px(28));
    }
}

TEST(DisplayScale, MessageBoxFitsAtEveryScale) {
    using namespace ovn::skin;
    // One character is 8 pixels at 100 %, the line 16; the button cell 57 x 23.
    for (const int dpi : kDpis) {
        const DisplayScale s(dpi);
        SCOPED_TRACE(dpi);
        const int ch = s.Px(8), lh = s.Px(16);
        const Size strip{4 * s.Px(57), s.Px(23)};
        const auto width = [ch](std::wstring_view t) { return static_cast<int>(t.size()) * ch; };

        const MessageBoxLayout l = LayoutMessageBox(BoxOkCancel, 300 * ch / 8, 2 * lh, 2, strip, s);
        EXPECT_EQ(l.window.cx, 300 * ch / 8 + s.Px(60));
        EXPECT_EQ(l.window.cy, 2 * lh + 2 * s.Px(3) + s.Px(90) + s.Px(23));
        EXPECT_EQ(l.button1.bottom, l.window.cy - s.Px(30));
        EXPECT_EQ(l.button2.left - l.button1.right, 2 * s.Px(10));
        EXPECT_EQ(l.button1.Width(), s.Px(57));
        EXPECT_EQ(MessageLineRect(l.window.cx, 300, lh, 1, s).top, s.Px(55) + lh + s.Px(3));

        // A long text in a small work area: wrapped and cut so that the whole
        // box fits, at every scale.
        const Size work{s.Px(400), s.Px(300)};
        const std::wstring text(400, L'x');
        const FittedMessageBox box = FitMessageBox(BoxOk, text, width, lh, strip, work, s);
        EXPECT_TRUE(box.text.cut);
        EXPECT_LE(box.layout.window.cx, work.cx);
        EXPECT_LE(box.layout.window.cy, work.cy);
        EXPECT_GT(box.layout.window.cy + lh + s.Px(3), work.cy);  // and no row more would
    }
}

TEST(DisplayScale, LabelImageGapAndLineSpacing) {
    using namespace ovn::skin;
    for (const int dpi : kDpis) {
        const DisplayScale s(dpi);
        SCOPED_TRACE(dpi);
        EXPECT_EQ(LabelImageLeft(s), s.Px(3));
        EXPECT_EQ(LabelTextArea(Rect{0, 0, 200, 40}, 20, s).left, 20 + s.Px(6));
        EXPECT_EQ(LabelTextArea(Rect{0, 0, 200, 40}, 0, s).left, 0);
        const int lh = s.Px(14);
        const LabelLayout l = LayoutLabelText(L"ab\ncd", Rect{0, 0, 200, lh}, 80, lh, 4,
                                              [](std::wstring_view t) { return 7 * static_cast<int>(t.size()); }, s);
        ASSERT_EQ(l.lines.size(), 2u);
        EXPECT_EQ(l.lines[1].rect.top, lh + s.Px(4));
        EXPECT_EQ(l.neededHeight, 2 * lh + s.Px(4));
    }
}

TEST(DisplayScale, NoticeLabelsInsideTheirFrame) {
    using namespace ovn::downloads;
    using B = NoticeBox;
    // The picture-and-text form in a 310 x 200 client (at 100 %).
    const std::array<std::array<B, 3>, 4> expected = {{
        {{B{15, 67, 75, 80}, B{100, 48, 190, 15}, B{195, 168, 42, 13}}},
        {{B{19, 84, 94, 100}, B{125, 60, 238, 19}, B{244, 210, 52, 16}}},
        {{B{23, 101, 112, 120}, B{150, 72, 285, 23}, B{293, 252, 63, 20}}},
        {{B{30, 134, 150, 160}, B{200, 96, 380, 30}, B{390, 336, 84, 26}}},
    }};
    for (std::size_t i = 0; i < kDpis.size(); ++i) {
        const DisplayScale s(kDpis[i]);
        SCOPED_TRACE(kDpis[i]);
        const int cw = s.Px(310), chh = s.Px(200);
        const NoticeLayout l = LayoutNotice(NoticeForm::PictureAndText, cw, chh, s);
        EXPECT_EQ(*l.picture, expected[i][0]);
        EXPECT_EQ(*l.title, expected[i][1]);
        EXPECT_EQ(*l.link, expected[i][2]);
        EXPECT_EQ(l.captionHeight, LayoutNotice(NoticeForm::PictureAndText, 0, 0).captionHeight);
        for (const NoticeForm form : {NoticeForm::PictureAndText, NoticeForm::PictureOnly, NoticeForm::TextOnly}) {
            const NoticeLayout f = LayoutNotice(form, cw, chh, s);
            EXPECT_EQ(f.borderWidth, LayoutNotice(form, 0, 0).borderWidth);  // the frame scales it
            for (const auto& box : {f.picture, f.title, f.text, f.link}) {
                if (!box)
                    continue;
                EXPECT_GE(box->x, s.Px(-3));
                EXPECT_LE(box->x + box->w, cw);
                EXPECT_LE(box->y + box->h, chh);
                EXPECT_GT(box->w, 0);
                EXPECT_GT(box->h, 0);
            }
        }
    }
}

TEST(DisplayScale, SkinDrawingChosenAndArtworkPlaced) {
    using namespace ovn::skin;
    const int four[] = {96, 120, 144, 192};
    const int two[] = {192, 96};
    EXPECT_EQ(NearestDrawnDpi(96, four), 96);
    EXPECT_EQ(NearestDrawnDpi(110, four), 120);
    EXPECT_EQ(NearestDrawnDpi(168, four), 192);  // a tie: the larger
    EXPECT_EQ(NearestDrawnDpi(288, four), 192);
    EXPECT_EQ(NearestDrawnDpi(72, four), 96);
    EXPECT_EQ(NearestDrawnDpi(120, two), 96);
    EXPECT_EQ(NearestDrawnDpi(144, two), 192);
    EXPECT_EQ(NearestDrawnDpi(144, {}), 96);

    const Size artwork{888, 518};
    const std::array<Size, 4> shown = {{{888, 518}, {1110, 648}, {1332, 777}, {1776, 1036}}};
    const fw::Area work{0, 0, 1920, 1040};
    for (std::size_t i = 0; i < kDpis.size(); ++i) {
        const DisplayScale s(kDpis[i]);
        SCOPED_TRACE(kDpis[i]);
        EXPECT_EQ(SizeAt(artwork, 96, s), shown[i]);
        // Drawn at 200 % and shown smaller or as drawn: the same size.
        const Size at200 = SizeAt(artwork, 96, DisplayScale(192));
        EXPECT_LE(std::abs(SizeAt(at200, 192, s).cx - shown[i].cx), 1);
        const fw::Area a = ovn::gamepage::LoginArtworkPlace(artwork, 96, s, work);
        EXPECT_EQ(a.Width(), shown[i].cx);
        EXPECT_EQ(a.Height(), shown[i].cy);
        EXPECT_GE(a.top, 0);
        EXPECT_LE(a.bottom, 1040);
        EXPECT_LE(std::abs((a.left + a.right) - 1920), 1);  // centred
    }
    EXPECT_EQ(SizeAt(Size{0, 5}, 96, DisplayScale(192)), (Size{0, 10}));
    EXPECT_EQ(SizeAt(Size{1, 1}, 192, DisplayScale(96)), (Size{1, 1}));
}
