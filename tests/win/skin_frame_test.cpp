// The skinned frame on real windows: its shape, its painting, its hit codes, its
// maximise and restore, its system buttons, and no GDI objects left per paint.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "skin/dlg_ex.h"
#include "skin/message_box.h"
#include "skin/skin_image.h"
#include "skin_test_support.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;
using skintest::Rgba;

namespace {

constexpr Rgba kCaption{20, 40, 160, 255};
constexpr Rgba kBody{200, 210, 220, 255};
constexpr COLORREF kCaptionRef = RGB(20, 40, 160);
constexpr COLORREF kBodyRef = RGB(200, 210, 220);

gdi::Bitmap Decode(const std::vector<std::uint8_t>& png) {
    return DecodeSkinImage(png.data(), png.size());
}

gdi::Bitmap TestFrame() { return Decode(skintest::FramePng(30, 51, kCaption, kBody)); }

gdi::Bitmap Strip(int cw, int ch, Rgba base) {
    const Rgba cells[4] = {base, {0, 200, 0, 255}, {0, 0, 200, 255}, {200, 200, 0, 255}};
    return Decode(skintest::StripPng(cw, ch, cells));
}

// A skinned window made from the message box's template, shaped by the test.
class TestFrameDlg : public CDlgEx {
public:
    TestFrameDlg() : CDlgEx(IDD_MESSAGE_BOX) {}
    std::function<void(TestFrameDlg&)> init;
    int closeRequests = 0;
    using CDlgEx::Metrics;

protected:
    bool OnInitDialog() override {
        CDlgEx::OnInitDialog();
        if (init)
            init(*this);
        return false;  // no focus: an active window takes Wine 2 s to destroy here
    }
    void OnCancel() override {
        ++closeRequests;  // the close command ends here instead of destroying
    }
};

// Shown without activation unless asked: Wine without a window manager takes
// 2 s to take an activated window down, and a window first shown inactive must
// not be activated later there.
std::unique_ptr<TestFrameDlg> MakeFrame(int w, int h, std::function<void(TestFrameDlg&)> setup,
                                        bool activate = false) {
    auto dlg = std::make_unique<TestFrameDlg>();
    dlg->init = std::move(setup);
    EXPECT_TRUE(dlg->CreateModeless(nullptr));
    SetWindowPos(dlg->hwnd(), nullptr, 100, 80, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(dlg->hwnd(), activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    skintest::PumpIdle();
    return dlg;
}

void SmallFrameSkin(TestFrameDlg& d) {
    d.m_nCaptionHeight = 30;
    d.m_nBorderWidth = 4;
    d.SetSkin(TestFrame(), false, true, nullptr, {}, {}, nullptr);
}

LRESULT HitAt(HWND hwnd, int x, int y) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
}

long RegionArea(HRGN rgn) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<char> buf(size);
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    GetRegionData(rgn, size, data);
    long area = 0;
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    return area;
}

}  // namespace

TEST(SkinFrame, CornerShapeOf800x600CutsExactlyTheKeyedPixels) {
    auto dlg = MakeFrame(800, 600, SmallFrameSkin);
    HWND h = dlg->hwnd();
    RECT client{};
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, 800);  // no non-client area left
    EXPECT_EQ(client.bottom, 600);

    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(h, rgn), ERROR);
    const POINT cut[] = {{0, 0}, {1, 0}, {2, 0}, {797, 0}, {798, 0}, {799, 0},
                         {0, 1}, {1, 1}, {798, 1}, {799, 1}, {0, 2}, {799, 2}};
    for (POINT p : cut)
        EXPECT_FALSE(PtInRegion(rgn, p.x, p.y)) << p.x << "," << p.y;
    const POINT kept[] = {{3, 0}, {796, 0}, {2, 1}, {797, 1}, {1, 2}, {798, 2},
                          {0, 3}, {799, 3}, {0, 599}, {799, 599}};
    for (POINT p : kept)
        EXPECT_TRUE(PtInRegion(rgn, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(RegionArea(rgn), 800L * 600 - 12);  // nothing else is cut
    DeleteObject(rgn);

    // A cut corner is not the window's on screen.
    RECT wr{};
    GetWindowRect(h, &wr);
    EXPECT_NE(WindowFromPoint(POINT{wr.left, wr.top}), h);
    EXPECT_EQ(WindowFromPoint(POINT{wr.left + 3, wr.top}), h);
}

TEST(SkinFrame, NineSlicePaintingAndTitle) {
    auto dlg = MakeFrame(260, 128, [](TestFrameDlg& d) {
        SmallFrameSkin(d);
        d.SetCaptionText(L"");
    });
    const auto px = skintest::EraseIntoBitmap(dlg->hwnd(), 260, 128);
    ASSERT_EQ(px.w, 260);
    // Corners copied unscaled, key pixels and all (the shape hides them).
    EXPECT_EQ(px.at(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(px.at(259, 0), RGB(255, 0, 255));
    EXPECT_EQ(px.at(3, 0), kCaptionRef);
    EXPECT_EQ(px.at(256, 0), kCaptionRef);
    // The caption band is the bitmap's first 30 rows, stretched across.
    EXPECT_EQ(px.at(130, 15), kCaptionRef);
    EXPECT_EQ(px.at(130, 29), kCaptionRef);
    EXPECT_EQ(px.at(130, 30), kBodyRef);
    EXPECT_EQ(px.at(2, 100), kBodyRef);
    EXPECT_EQ(px.at(259, 127), kBodyRef);

    // A title shows in the title colour in the band; without it, none of that colour.
    auto countTitle = [](const skintest::Pixels& p) {
        int n = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                n += p.at(x, y) == RGB(255, 255, 255);
        return n;
    };
    EXPECT_EQ(countTitle(px), 0);
    dlg->SetCaptionText(L"QuenraOrvane");
    EXPECT_GT(countTitle(skintest::EraseIntoBitmap(dlg->hwnd(), 260, 128)), 10);
    dlg->m_bDrawTitle = false;
    EXPECT_EQ(countTitle(skintest::EraseIntoBitmap(dlg->hwnd(), 260, 128)), 0);
}

TEST(SkinFrame, HitCodes) {
    auto dlg = MakeFrame(400, 300, SmallFrameSkin);
    HWND h = dlg->hwnd();
    // Fixed frame, caption 30.
    EXPECT_EQ(HitAt(h, 0, 0), HTCAPTION);
    EXPECT_EQ(HitAt(h, 200, 29), HTCAPTION);
    EXPECT_EQ(HitAt(h, 200, 30), HTCLIENT);
    EXPECT_EQ(HitAt(h, 399, 299), HTCLIENT);
    // Resizable.
    dlg->m_bResizable = true;
    EXPECT_EQ(HitAt(h, 0, 0), HTTOPLEFT);
    EXPECT_EQ(HitAt(h, 200, 2), HTTOP);
    EXPECT_EQ(HitAt(h, 200, 3), HTCAPTION);
    EXPECT_EQ(HitAt(h, 399, 150), HTRIGHT);
    EXPECT_EQ(HitAt(h, 200, 297), HTBOTTOM);
    EXPECT_EQ(HitAt(h, 399, 299), HTBOTTOMRIGHT);
    EXPECT_EQ(HitAt(h, 200, 150), HTCLIENT);
    // Whole-window caption.
    dlg->m_nCaptionHeight = -1;
    EXPECT_EQ(HitAt(h, 200, 299), HTCAPTION);
    EXPECT_EQ(HitAt(h, 0, 299), HTBOTTOMLEFT);
    dlg->m_bResizable = false;
    EXPECT_EQ(HitAt(h, 399, 299), HTCAPTION);
    // No band at all.
    dlg->m_nCaptionHeight = 0;
    EXPECT_EQ(HitAt(h, 200, 0), HTCLIENT);
}

TEST(SkinFrame, SystemButtonsMaximiseAndRestore) {
    auto dlg = MakeFrame(400, 300, [](TestFrameDlg& d) {
        d.m_nCaptionHeight = 30;
        d.m_nBorderWidth = 4;
        d.m_nButtonRightMargin = 0;
        d.m_nButtonTop = 0;
        d.m_bResizable = true;
        gdi::Bitmap close = Strip(33, 28, {200, 0, 0, 255});
        gdi::Bitmap minimize = Strip(27, 28, {0, 0, 0, 255});
        d.SetSkin(TestFrame(), false, true, minimize.get(), Strip(27, 28, {10, 10, 10, 255}),
                  Strip(27, 28, {90, 90, 90, 255}), close.get());
        // The close and minimise strips stay the caller's: released here, the
        // buttons keep their own copies.
    });
    HWND h = dlg->hwnd();
    auto leftOf = [h](HWND b) {
        RECT r{};
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    ASSERT_TRUE(dlg->m_btnClose.hwnd());
    ASSERT_TRUE(dlg->m_btnMaximize.hwnd());
    ASSERT_TRUE(dlg->m_btnMinimize.hwnd());
    EXPECT_EQ(leftOf(dlg->m_btnClose.hwnd()).left, 400 - 33);
    EXPECT_EQ(leftOf(dlg->m_btnMaximize.hwnd()).left, 400 - 33 - 27);
    EXPECT_EQ(leftOf(dlg->m_btnMinimize.hwnd()).left, 400 - 33 - 27 - 27);
    EXPECT_EQ(GetDlgCtrlID(dlg->m_btnClose.hwnd()), 50000);

    // Resizing lays them out again from the new right edge.
    SetWindowPos(h, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(leftOf(dlg->m_btnClose.hwnd()).left, 500 - 33);
    EXPECT_EQ(leftOf(dlg->m_btnMinimize.hwnd()).left, 500 - 87);

    // Maximise on a work area larger than the maximum size: centred.
    RECT wa{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    dlg->m_sizeMax = SIZE{wa.right - wa.left - 100, wa.bottom - wa.top - 40};
    RECT before{};
    GetWindowRect(h, &before);
    dlg->m_rcRestore = before;
    SendMessageW(dlg->m_btnMaximize.hwnd(), BM_CLICK, 0, 0);
    skintest::PumpIdle();
    EXPECT_TRUE(dlg->m_bMaximized);
    RECT maxed{};
    GetWindowRect(h, &maxed);
    EXPECT_EQ(maxed.left, wa.left + 50);
    EXPECT_EQ(maxed.right, wa.right - 50);
    EXPECT_EQ(maxed.top, wa.top + 20);
    EXPECT_EQ(maxed.bottom, wa.bottom - 20);
    // While maximised, nothing drags or sizes; the maximise button now restores.
    EXPECT_EQ(HitAt(h, 0, 0), HTCLIENT);
    SendMessageW(dlg->m_btnMaximize.hwnd(), WM_MOUSEHOVER, 0, 0);
    wchar_t tip[32] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = dlg->m_btnMaximize.hwnd();
    ti.uId = 0;
    ti.lpszText = tip;
    SendMessageW(dlg->m_btnMaximize.ToolTipWindow(), TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(tip, L"还原");

    // A double click in the band restores to where the window was.
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 10));
    EXPECT_FALSE(dlg->m_bMaximized);
    RECT restored{};
    GetWindowRect(h, &restored);
    EXPECT_TRUE(EqualRect(&restored, &before));
    SendMessageW(dlg->m_btnMaximize.hwnd(), WM_MOUSEHOVER, 0, 0);
    SendMessageW(dlg->m_btnMaximize.ToolTipWindow(), TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(tip, L"最大化");

    // A double click on the caption of a resizable frame maximises.
    SendMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(dlg->m_bMaximized);
    SendMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(dlg->m_bMaximized);
    // Not on a fixed one.
    dlg->m_bResizable = false;
    SendMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(dlg->m_bMaximized);

    // The close button asks the window to close through the system command.
    SendMessageW(dlg->m_btnClose.hwnd(), BM_CLICK, 0, 0);
    skintest::PumpIdle();
    EXPECT_EQ(dlg->closeRequests, 1);
}

namespace {

void MouseTo(DWORD flags, int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &in, sizeof in);
}

bool InMoveSizeLoop(DWORD thread) {
    GUITHREADINFO gti{sizeof gti};
    return GetGUIThreadInfo(thread, &gti) && (gti.flags & GUI_INMOVESIZE);
}

// Polls on the input thread, which has no window to wait on.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

// Presses the left button at one screen point, drags to another and releases,
// from another thread, while this one runs the window (and its move or size loop).
void Drag(POINT from, POINT to) {
    const DWORD ui = GetCurrentThreadId();
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread input([=] {
        // The pauses between the steps are a hand's pace, not waits for a result:
        // the pointer rests before the press, and the way is moved in steps.
        MouseTo(0, from.x, from.y);
        Sleep(100);
        MouseTo(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
        // The press starts the system's loop; the way is only worth moving once it runs.
        WaitUntil([ui] { return InMoveSizeLoop(ui); }, 5000);
        for (int i = 1; i <= 5; ++i) {
            MouseTo(0, from.x + (to.x - from.x) * i / 5, from.y + (to.y - from.y) * i / 5);
            Sleep(40);
        }
        MouseTo(MOUSEEVENTF_LEFTUP, to.x, to.y);
        // Should the loop not end with the release (it would hold this test for
        // good), Esc ends it; the checks then fail instead.
        if (!WaitUntil([ui] { return !InMoveSizeLoop(ui); }, 5000)) {
            ADD_FAILURE() << "the move or size loop did not end with the button's release";
            INPUT esc[2] = {};
            esc[0].type = esc[1].type = INPUT_KEYBOARD;
            esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
            esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, esc, sizeof(INPUT));
        }
        SetEvent(done);
    });
    // This thread runs the window, and the loop when it starts, until the drag is over.
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        skintest::PumpIdle();
    input.join();
    CloseHandle(done);
    skintest::PumpIdle();
}

// Wine's X11 driver, with windows left to a window manager that is not there
// (an Xvfb screen), loses an X window in the move/size loop once another window
// has come and gone, and the process dies. Known gap of that setup, not ours:
// the test runs on Windows and on Wine with unmanaged windows.
bool WineManagedWithoutWindowManager() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return false;
    wchar_t value[8] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", RRF_RT_REG_SZ,
                     nullptr, value, &size) == ERROR_SUCCESS)
        return !(value[0] == L'N' || value[0] == L'n');
    return true;
}

}  // namespace

TEST(SkinFrame, DraggingSizesAndMovesAndRestoreReturnsThere) {
    if (WineManagedWithoutWindowManager())
        GTEST_SKIP() << "Wine with managed windows and no window manager dies in move/size loops";
    // Active, as the window the player drags is.
    auto dlg = MakeFrame(300, 200, [](TestFrameDlg& d) {
        SmallFrameSkin(d);
        d.m_bResizable = true;
    }, true);
    HWND h = dlg->hwnd();
    SetWindowPos(h, HWND_TOPMOST, 100, 100, 300, 200, 0);
    skintest::PumpIdle();

    Drag({398, 298}, {448, 328});  // the bottom-right corner
    RECT r{};
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.bottom - r.top, 230);
    EXPECT_EQ(r.left, 100);

    Drag({250, 115}, {310, 155});  // by the caption band
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_TRUE(EqualRect(&r, &dlg->m_rcRestore));

    // Maximise, then restore: back where it was dragged.
    dlg->ToggleMaximize();
    dlg->ToggleMaximize();
    RECT back{};
    GetWindowRect(h, &back);
    EXPECT_TRUE(EqualRect(&back, &r));
}

TEST(SkinFrame, RepaintingLeavesNoGdiObjects) {
    auto dlg = MakeFrame(400, 300, [](TestFrameDlg& d) {
        d.m_nCaptionHeight = 30;
        d.m_nBorderWidth = 4;
        gdi::Bitmap close = Strip(33, 28, {200, 0, 0, 255});
        d.SetSkin(TestFrame(), false, true, nullptr, {}, {}, close.get());
        d.SetCaptionText(L"QuenraOrvane");
    });
    HWND h = dlg->hwnd();
    auto repaint = [h](int times) {
        for (int i = 0; i < times; ++i)
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        skintest::PumpIdle();
    };
    repaint(5);  // the system makes some stock objects on first use

    // The process's live GDI objects, as the system counts them. Every object the
    // paint code makes counts here, whether or not it went through our owners.
    const long before = skintest::LiveGdiObjects();
    ASSERT_GT(before, 0);
    {
        HBRUSH probe[5];
        for (HBRUSH& b : probe)
            b = CreateSolidBrush(RGB(1, 2, 3));
        EXPECT_GE(skintest::LiveGdiObjects(), before + 5);  // the count can grow
        for (HBRUSH b : probe)
            DeleteObject(b);
    }
    const long liveBefore = gdi::LiveObjects();
    const long takenBefore = gdi::TakenObjects();

    constexpr int kRepaints = 200;
    repaint(kRepaints);

    EXPECT_LE(skintest::LiveGdiObjects() - before, 2);
    // Each repaint went through the owners (frame buffer, title font, button
    // buffers), and all of it was given back.
    EXPECT_GE(gdi::TakenObjects() - takenBefore, kRepaints * 3L);
    EXPECT_EQ(gdi::LiveObjects(), liveBefore);

    // Closing the window and dropping the object gives back the skin too.
    dlg.reset();
    skintest::PumpIdle();
    EXPECT_LT(gdi::LiveObjects(), liveBefore);
    EXPECT_LT(skintest::LiveGdiObjects(), before);
}

TEST(SkinFrame, AControlsBufferGetsTheSkinWithoutAWindowSizedBufferInBetween) {
    // Low enough for the screen's paint to be one band: one buffer, one skin.
    auto dlg = MakeFrame(400, 150, [](TestFrameDlg& d) {
        SmallFrameSkin(d);
        d.SetCaptionText(L"QuenraOrvane");
    });
    HWND h = dlg->hwnd();
    // Into a memory DC (what a control's paint hands its parent) and into a
    // window DC: the same drawing, less the buffer and its bitmap in the first.
    gdi::WindowDC screen(nullptr);
    gdi::MemoryDC memory(CreateCompatibleDC(screen.get()));
    gdi::Bitmap target(CreateCompatibleBitmap(screen.get(), 400, 150));
    long taken;
    {
        gdi::Select sel(memory.get(), target.get());
        taken = gdi::TakenObjects();
        SendMessageW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.get()), 0);
    }
    const long intoMemory = gdi::TakenObjects() - taken;
    const auto px = skintest::ReadBitmap(target.get());
    taken = gdi::TakenObjects();
    {
        gdi::WindowDC windowDc(h);
        SendMessageW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(windowDc.get()), 0);
    }
    const long intoWindow = gdi::TakenObjects() - taken - 1;  // less the test's own window DC
    EXPECT_EQ(intoWindow - intoMemory, 2) << intoWindow << " objects for the screen, " << intoMemory
                                          << " for a buffer";
    // And what lands in the control's buffer is the skin all the same.
    EXPECT_EQ(px.at(130, 15), kCaptionRef);
    EXPECT_EQ(px.at(2, 100), kBodyRef);
    EXPECT_EQ(px.at(0, 0), RGB(255, 0, 255));
}
