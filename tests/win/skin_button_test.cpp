// The image button on a skinned window: the cell it shows in each state, read
// back from the screen, and its see-through parts, scaled or not.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/message_box.h"
#include "skin/skin_image.h"
#include "skin_test_support.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;
using skintest::Rgba;

namespace {

constexpr Rgba kBody{200, 210, 220, 255};
constexpr COLORREF kBodyRef = RGB(200, 210, 220);
constexpr UINT kButtonId = 4321;

constexpr Rgba kCells[4] = {{220, 0, 0, 255}, {0, 180, 0, 255}, {0, 0, 200, 255}, {230, 230, 0, 255}};
constexpr COLORREF kCellRef[4] = {RGB(220, 0, 0), RGB(0, 180, 0), RGB(0, 0, 200), RGB(230, 230, 0)};

gdi::Bitmap Decode(const std::vector<std::uint8_t>& png) {
    return DecodeSkinImage(png.data(), png.size());
}

class ButtonHost : public CDlgEx {
public:
    ButtonHost() : CDlgEx(IDD_MESSAGE_BOX) {}
    int clicks = 0;
    CBtnEx button;

protected:
    bool OnInitDialog() override {
        CDlgEx::OnInitDialog();
        m_nCaptionHeight = 30;
        m_nBorderWidth = 4;
        m_bDrawTitle = false;
        SetSkin(Decode(skintest::FramePng(30, 51, {20, 40, 160, 255}, kBody)), false, true,
                nullptr, {}, {}, nullptr);
        return false;  // no focus: an active window takes Wine 2 s to destroy here
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED)
            ++clicks;
        return CDlgEx::WindowProc(msg, wParam, lParam);
    }
};

struct Fixture {
    std::unique_ptr<ButtonHost> host = std::make_unique<ButtonHost>();
    gdi::Bitmap strip = Decode(skintest::StripPng(20, 10, kCells));

    // Button at (100, 100) of w x h; resized to the cell when w is 0.
    void Make(int w, int h) {
        ASSERT_TRUE(host->CreateModeless(nullptr));
        SetWindowPos(host->hwnd(), HWND_TOPMOST, 50, 50, 300, 200, SWP_NOACTIVATE);
        const RECT rc{100, 100, 100 + (w ? w : 5), 100 + (h ? h : 5)};
        ASSERT_TRUE(host->button.Create(L"", WS_CHILD | WS_VISIBLE, rc, host->hwnd(), kButtonId));
        host->button.SetImage(strip.get(), w == 0);
        ShowWindow(host->hwnd(), SW_SHOWNOACTIVATE);
        Settle();
    }
    HWND Button() const { return host->button.hwnd(); }
    void Settle() {
        RedrawWindow(host->hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        skintest::PumpIdle();
    }
    skintest::Pixels Shot() {
        UpdateWindow(Button());
        return skintest::CaptureWindow(Button());
    }
};

}  // namespace

TEST(SkinButton, EachStateShowsItsCell) {
    Fixture f;
    f.Make(0, 0);
    RECT r{};
    GetWindowRect(f.Button(), &r);
    EXPECT_EQ(r.right - r.left, 20);  // resized to one cell
    EXPECT_EQ(r.bottom - r.top, 10);

    auto px = f.Shot();
    EXPECT_EQ(px.at(10, 5), kCellRef[0]);
    EXPECT_EQ(px.at(0, 0), kBodyRef);  // key pixels show the parent's skin
    EXPECT_EQ(px.at(1, 1), kBodyRef);
    EXPECT_EQ(f.host->button.LastCell(), CellNormal);

    // A strip given again (the launcher swaps its images back and forth) keeps
    // its see-through pixels, and so does the caller's bitmap.
    f.host->button.SetImage(f.strip.get(), false);
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_EQ(f.Shot().at(0, 0), kBodyRef);

    SendMessageW(f.Button(), WM_MOUSEHOVER, 0, 0);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[1]);
    SendMessageW(f.Button(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[0]);

    SendMessageW(f.Button(), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[2]);
    // Still pressed after the system stops drawing it selected: only the
    // release of the mouse button ends it.
    SendMessageW(f.Button(), BM_SETSTATE, FALSE, 0);
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[2]);
    SendMessageW(f.Button(), WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[0]);

    EnableWindow(f.Button(), FALSE);
    px = f.Shot();
    EXPECT_EQ(px.at(10, 5), kCellRef[3]);
    EXPECT_EQ(px.at(0, 0), kBodyRef);
    EXPECT_EQ(f.host->clicks, 0);
}

TEST(SkinButton, DraggedOffStaysPressedAndDoesNotClick) {
    Fixture f;
    f.Make(0, 0);
    SendMessageW(f.Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[2]);
    SendMessageW(f.Button(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-40, -40));
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[2]);
    SendMessageW(f.Button(), WM_LBUTTONUP, 0, MAKELPARAM(-40, -40));
    skintest::PumpIdle();
    EXPECT_EQ(f.host->clicks, 0);
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_EQ(f.Shot().at(10, 5), kCellRef[0]);

    // A real click reports BN_CLICKED to the parent.
    SendMessageW(f.Button(), BM_CLICK, 0, 0);
    skintest::PumpIdle();
    EXPECT_EQ(f.host->clicks, 1);
}

TEST(SkinButton, ScaledCellKeepsItsKeyTransparent) {
    Fixture f;
    f.Make(60, 30);  // three times the cell, left at that size
    RECT r{};
    GetWindowRect(f.Button(), &r);
    EXPECT_EQ(r.right - r.left, 60);
    const auto px = f.Shot();
    EXPECT_EQ(px.at(30, 15), kCellRef[0]);
    EXPECT_EQ(px.at(59, 29), kCellRef[0]);
    // The 2 x 2 key corner of the cell became 6 x 6 of parent skin, never magenta.
    EXPECT_EQ(px.at(0, 0), kBodyRef);
    EXPECT_EQ(px.at(4, 4), kBodyRef);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_NE(px.at(x, y), RGB(255, 0, 255)) << x << "," << y;
}

TEST(SkinButton, DisabledCaptionIsGreyWhateverItsColour) {
    Fixture f;
    f.Make(0, 0);
    SetWindowPos(f.Button(), nullptr, 0, 0, 60, 30, SWP_NOMOVE | SWP_NOZORDER);
    f.host->button.SetImage(f.strip.get(), false);  // re-reads the drawing size
    f.host->button.m_strText = L"WWW";
    f.host->button.m_crText = RGB(0, 255, 255);
    // Exact colours need glyphs drawn without smoothing, whatever fonts the prefix links.
    HFONT crisp = CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                              L"Tahoma");
    SendMessageW(f.Button(), WM_SETFONT, reinterpret_cast<WPARAM>(crisp), FALSE);
    auto count = [](const skintest::Pixels& p, COLORREF c) {
        int n = 0;
        for (COLORREF v : p.data)
            n += skintest::PixelToColor(v) == c;
        return n;
    };
    InvalidateRect(f.Button(), nullptr, FALSE);
    EXPECT_GT(count(f.Shot(), RGB(0, 255, 255)), 5);
    EnableWindow(f.Button(), FALSE);
    const auto px = f.Shot();
    EXPECT_EQ(count(px, RGB(0, 255, 255)), 0);
    EXPECT_GT(count(px, GetSysColor(COLOR_GRAYTEXT)), 5);
    DestroyWindow(f.Button());
    DeleteObject(crisp);
}
