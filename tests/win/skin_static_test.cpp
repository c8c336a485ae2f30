// The skinned label on a skinned window: the parent's skin behind its text and
// image, its hover colour under the real mouse, the link's hand cursor and its
// lines and growth, read back from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "skin/static_ex.h"
#include "skin_control_host.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;
using skintest::Pixels;
using skintest::Rgba;

namespace {

constexpr COLORREF kText = RGB(0, 0, 255);
constexpr COLORREF kHover = RGB(0, 255, 0);
constexpr UINT kLabelId = 4322;

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = skintest::ShowPatternHost(300, 200);
        ASSERT_TRUE(host);
        // Exact colours need glyphs drawn without smoothing; the label keeps
        // this quality when it makes its own font from the window's.
        crisp.reset(CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                L"Tahoma"));
    }
    void TearDown() override {
        label.reset();
        host.reset();
        skintest::PumpIdle();
    }
    // A label at (40, 80) of w x h with the given text and style.
    void Make(const wchar_t* text, DWORD style, int w, int h) {
        HWND hwnd = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, 40, 80, w, h, host->hwnd(),
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kLabelId)),
                                    GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(hwnd);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(crisp.get()), FALSE);
        label = std::make_unique<CStaticEx>();
        ASSERT_TRUE(label->Subclass(hwnd));
        label->m_crText = kText;
    }
    HWND Label() const { return label->hwnd(); }
    Pixels Shot() {
        InvalidateRect(Label(), nullptr, FALSE);
        return skintest::Shot(Label());
    }
    // Height of one line in the label's font, as the label measures it.
    int LineHeight() {
        gdi::WindowDC dc(Label());
        gdi::Select sel(dc.get(), label->GetLabelFont());
        RECT r{};
        DrawTextW(dc.get(), L"测试用汉字来获取宽度", 10, &r, DT_CALCRECT | DT_SINGLELINE);
        return r.bottom - r.top;
    }
    static int Count(const Pixels& px, COLORREF c, int x0 = 0, int x1 = -1, int y0 = 0, int y1 = -1) {
        int n = 0;
        for (int y = y0; y < (y1 < 0 ? px.h : y1); ++y)
            for (int x = x0; x < (x1 < 0 ? px.w : x1); ++x)
                n += px.at(x, y) == c;
        return n;
    }

    std::unique_ptr<skintest::PatternHost> host;
    gdi::Font crisp;
    std::unique_ptr<CStaticEx> label;
};

}  // namespace

TEST_F(LabelTest, ParentSkinShowsBehindTheTextAndTheImage) {
    Make(L"I I I I", 0, 150, 20);
    EXPECT_EQ(label->m_strText, L"I I I I");  // taken from the window text
    // A 14 x 16 image whose top-left 2 x 2 pixels are transparent.
    std::vector<Rgba> px(14 * 16, Rgba{10, 200, 20, 255});
    px[0].a = px[1].a = px[14].a = px[15].a = 0;
    const auto png = skintest::EncodePngRgba(14, 16, px);
    gdi::Bitmap image = DecodeSkinImage(png.data(), png.size());
    EXPECT_TRUE(label->SetImage(image.get()));
    EXPECT_FALSE(label->SetImage(nullptr));

    const Pixels shot = Shot();
    const Pixels parent = skintest::ParentUnder(Label());
    skintest::KeepShot(shot, "label");
    ASSERT_EQ(shot.w, 150);
    ASSERT_EQ(shot.h, 20);

    // The image at x = 3, centred: rows 2-17; its see-through corner shows the skin.
    EXPECT_EQ(shot.at(3 + 7, 2 + 8), RGB(10, 200, 20));
    EXPECT_EQ(shot.at(3 + 13, 2 + 15), RGB(10, 200, 20));
    EXPECT_EQ(shot.at(3, 2), parent.at(3, 2));
    EXPECT_EQ(shot.at(4, 3), parent.at(4, 3));
    EXPECT_EQ(shot.at(3, 1), parent.at(3, 1));

    // The text starts 6 pixels right of the image; every other pixel of the
    // label is the parent's own at that spot.
    EXPECT_EQ(Count(shot, kText, 0, 20), 0);
    EXPECT_GT(Count(shot, kText, 20), 10);
    int first = -1, last = -1, gaps = 0;
    for (int x = 0; x < shot.w; ++x)
        if (Count(shot, kText, x, x + 1)) {
            first = first < 0 ? x : first;
            last = x;
        }
    for (int y = 0; y < shot.h; ++y)
        for (int x = 0; x < shot.w; ++x) {
            const bool image = x >= 3 && x < 17 && y >= 2 && y < 18 && !(x < 5 && y < 4);
            if (!image && shot.at(x, y) != kText) {
                ASSERT_EQ(shot.at(x, y), parent.at(x, y)) << x << "," << y;
            }
        }
    // Columns between the letters hold no text at all: pure skin.
    for (int x = first; x <= last; ++x)
        gaps += Count(shot, kText, x, x + 1) == 0;
    EXPECT_GT(gaps, 3);

    // A new window text is not the label's text (owners assign m_strText), and
    // the plain static does not get to draw it over the skin.
    SetWindowTextW(Label(), L"WWWW");
    skintest::PumpIdle();
    const Pixels after = skintest::CaptureWindow(Label());
    EXPECT_EQ(after.data, shot.data);

    // Painting leaves no GDI object behind.
    const long before = skintest::LiveGdiObjects();
    for (int i = 0; i < 50; ++i)
        RedrawWindow(Label(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_LE(skintest::LiveGdiObjects() - before, 2);
}

TEST_F(LabelTest, HoverColourUnderTheMouseAndBackAfterItLeaves) {
    Make(L"IIII", SS_NOTIFY, 80, 20);
    label->m_bLink = true;
    label->m_bHoverColor = true;
    label->m_crHover = kHover;
    Pixels shot = Shot();
    EXPECT_GT(Count(shot, kText), 10);
    EXPECT_EQ(Count(shot, kHover), 0);

    RECT r{};
    GetWindowRect(Label(), &r);
    SetCursorPos(r.left + 10, r.top + 10);
    SendMessageW(Label(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(skintest::PumpUntil([&] { return label->m_bHover; }));
    shot = Shot();
    skintest::KeepShot(shot, "label-hover");
    EXPECT_EQ(Count(shot, kText), 0);
    EXPECT_GT(Count(shot, kHover), 10);

    SetCursorPos(r.left - 30, r.top - 60);  // off the label, still over its parent
    ASSERT_TRUE(skintest::PumpUntil([&] { return !label->m_bHover; }));
    EXPECT_FALSE(label->m_bTracking);
    shot = Shot();
    EXPECT_GT(Count(shot, kText), 10);
    EXPECT_EQ(Count(shot, kHover), 0);
}

TEST_F(LabelTest, LinkShowsTheHandPlainLabelKeepsTheCursor) {
    Make(L"link", SS_NOTIFY, 80, 20);
    HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    SetCursor(cross);
    EXPECT_EQ(SendMessageW(Label(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Label()), overClient), TRUE);
    EXPECT_EQ(GetCursor(), cross);

    label->m_bLink = true;
    EXPECT_EQ(SendMessageW(Label(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Label()), overClient), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(LabelTest, LinesAreSpacedAndTheLabelGrowsToHoldThem) {
    Make(L"II\r\nII\r\nII\r\nII", 0, 80, 16);
    label->m_nLineSpacing = 5;
    const int lh = LineHeight();
    ASSERT_GT(lh, 5);
    InvalidateRect(Label(), nullptr, FALSE);
    skintest::PumpIdle();

    RECT r{};
    GetWindowRect(Label(), &r);
    MapWindowPoints(nullptr, host->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.bottom - r.top, 3 * (lh + 5) + lh);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.left, 40);  // grown downwards only
    EXPECT_EQ(r.top, 80);

    const Pixels shot = Shot();
    skintest::KeepShot(shot, "label-lines");
    for (int i = 0; i < 4; ++i) {
        const int top = i * (lh + 5);
        EXPECT_GT(Count(shot, kText, 0, -1, top, top + lh), 4) << "line " << i;
        if (i < 3) {
            EXPECT_EQ(Count(shot, kText, 0, -1, top + lh, top + lh + 5), 0) << "gap below line " << i;
        }
    }

    // Taller than it needs, it keeps its height.
    SetWindowPos(Label(), nullptr, 0, 0, 80, 150, SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(Label(), nullptr, FALSE);
    skintest::PumpIdle();
    GetWindowRect(Label(), &r);
    EXPECT_EQ(r.bottom - r.top, 150);
}
