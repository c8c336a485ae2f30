// The login background against a stand-in login page: the artwork's size and
// place, its per-pixel transparency on screen, the page kept exactly over it
// while it is moved and dragged, and its keys (Enter nothing, Escape leaves).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <thread>

#include "framework/dialog.h"
#include "framework/gdi_handles.h"
#include "gamepage/login_bk_dlg.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/gdi.h"
#include "skin_test_support.h"
#include "login_test_support.h"

namespace {

using ovn::CLoginBkDlg;
using logintest::Argb;
using logintest::ArtworkPixel;

// Stands in for the login page: the empty pop-up, shown by the test.
class StandInPage : public fw::Dialog {
public:
    StandInPage() : fw::Dialog(IDD_PAGE_POPUP) {}
};

// A 1 x 1 window in the screen's corner, as the launcher is while the first login runs.
struct TinyOwner {
    TinyOwner() {
        hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"QuenraOrvane", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TinyOwner() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// A window of one solid colour: the desktop under the artwork.
struct SolidWindow {
    explicit SolidWindow(COLORREF colour, const RECT& r) : brush(CreateSolidBrush(colour)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = brush;
        wc.lpszClassName = L"OvnLoginBkTestSolid";
        UnregisterClassW(wc.lpszClassName, wc.hInstance);
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        UpdateWindow(hwnd);
    }
    ~SolidWindow() {
        DestroyWindow(hwnd);
        UnregisterClassW(L"OvnLoginBkTestSolid", GetModuleHandleW(nullptr));
        DeleteObject(brush);
    }
    HBRUSH brush;
    HWND hwnd;
};

RECT Rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

COLORREF ScreenPixel(int x, int y) {
    fw::gdi::WindowDC screen(nullptr);
    return GetPixel(screen.get(), x, y);
}

bool Near(int a, int b, int tolerance = 3) { return std::abs(a - b) <= tolerance; }

class LoginBkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gdiplus.ok()); }
    void TearDown() override { skintest::PumpIdle(); }
    fw::gdi::GdiplusSession gdiplus;
    TinyOwner owner;
    StandInPage page;
};

TEST_F(LoginBkTest, ArtworkIsWholeAndCentredInTheWorkAreaWithThePageHiddenOverIt) {
    CLoginBkDlg bk(owner.hwnd, page);
    ASSERT_TRUE(bk.CreateModeless(owner.hwnd));
    EXPECT_EQ(bk.Width(), 888);
    EXPECT_EQ(bk.Height(), 518);
    const RECT wa = fw::WorkArea();
    const RECT r = Rect(bk.hwnd());
    EXPECT_EQ(r.right - r.left, 888);
    EXPECT_EQ(r.bottom - r.top, 518);
    EXPECT_EQ(r.left - wa.left, wa.right - r.right) << "not centred across the work area";
    EXPECT_LE(std::abs((r.top - wa.top) - (wa.bottom - r.bottom)), 1) << "not centred down the work area";
    EXPECT_TRUE(GetWindowLongPtrW(bk.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(bk.hwnd(), GWL_STYLE) & WS_MINIMIZEBOX);
    wchar_t caption[32] = {};
    GetWindowTextW(bk.hwnd(), caption, 32);
    EXPECT_STREQ(caption, L"QuenraOrvane");
    EXPECT_EQ(GetWindow(bk.hwnd(), GW_OWNER), owner.hwnd);

    // The page exists, hidden, owned by the artwork.
    ASSERT_NE(page.hwnd(), nullptr);
    EXPECT_FALSE(IsWindowVisible(page.hwnd()));
    EXPECT_EQ(GetWindow(page.hwnd(), GW_OWNER), bk.hwnd());
}

TEST_F(LoginBkTest, HalfTransparentPixelsShowTheDesktopThrough) {
    CLoginBkDlg bk(owner.hwnd, page);
    ASSERT_TRUE(bk.CreateModeless(owner.hwnd));
    const RECT r = Rect(bk.hwnd());
    SolidWindow desktop(RGB(0, 255, 0), r);
    SetWindowPos(bk.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    skintest::PumpIdle();

    // A pixel of the artwork's soft edge and one of its opaque middle.
    const int hx = 17, hy = 6, ox = 444, oy = 259;
    const Argb half = ArtworkPixel(hx, hy);
    const Argb solid = ArtworkPixel(ox, oy);
    ASSERT_GT(half.a, 60);
    ASSERT_LT(half.a, 200);
    ASSERT_EQ(solid.a, 255);

    // What the window hands the system: premultiplied pixels.
    const skintest::Pixels given = skintest::ReadBitmap(bk.LayeredBitmap());
    ASSERT_EQ(given.w, 888);
    EXPECT_EQ(given.fourth(hx, hy), half.a);
    EXPECT_TRUE(Near(GetBValue(given.at(hx, hy)), half.b * half.a / 255, 1));

    // Composed by the system's own blend, as the window asked for it (source
    // over, per-pixel alpha), over green: the green shows through in proportion.
    const int expectGreen = half.g * half.a / 255 + 255 * (255 - half.a) / 255;
    {
        fw::gdi::WindowDC screen(nullptr);
        fw::gdi::Buffer over(screen.get(), 1, 1);
        fw::gdi::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
        RECT one{0, 0, 1, 1};
        FillRect(over.dc(), &one, green.get());
        fw::gdi::MemoryDC src(CreateCompatibleDC(screen.get()));
        fw::gdi::Select sel(src.get(), bk.LayeredBitmap());
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ASSERT_TRUE(AlphaBlend(over.dc(), 0, 0, 1, 1, src.get(), hx, hy, 1, 1, blend));
        const COLORREF c = GetPixel(over.dc(), 0, 0);
        EXPECT_TRUE(Near(GetGValue(c), expectGreen, 2)) << "green " << int(GetGValue(c)) << ", expected " << expectGreen;
        EXPECT_TRUE(Near(GetRValue(c), half.r * half.a / 255, 2)) << "red " << int(GetRValue(c));
    }

    // On screen: the opaque pixel is the artwork's own, a fully transparent
    // corner pixel is the green beneath.
    const COLORREF o = ScreenPixel(r.left + ox, r.top + oy);
    EXPECT_TRUE(Near(GetRValue(o), solid.r) && Near(GetGValue(o), solid.g) && Near(GetBValue(o), solid.b))
        << std::hex << o;
    ASSERT_EQ(ArtworkPixel(0, 0).a, 0);
    EXPECT_EQ(ScreenPixel(r.left, r.top), RGB(0, 255, 0));
    // The soft pixel on screen: blended where the desktop composes layered
    // windows; Wine's X11 driver without a compositor draws it opaque (its
    // premultiplied colour), a known gap of the platform, not of ours.
    const COLORREF h = ScreenPixel(r.left + hx, r.top + hy);
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const int screenGreen = wine ? half.g * half.a / 255 : expectGreen;
    EXPECT_TRUE(Near(GetGValue(h), screenGreen, 6)) << "green " << int(GetGValue(h)) << ", expected " << screenGreen;
}

TEST_F(LoginBkTest, ThePageStaysExactlyOverTheArtworkWhenMovedOrDragged) {
    CLoginBkDlg bk(owner.hwnd, page);
    ASSERT_TRUE(bk.CreateModeless(owner.hwnd));
    ShowWindow(bk.hwnd(), SW_SHOW);
    ShowWindow(page.hwnd(), SW_SHOWNA);
    SetWindowPos(bk.hwnd(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(SameRect(Rect(page.hwnd()), Rect(bk.hwnd())));
    const RECT moved = Rect(bk.hwnd());
    EXPECT_EQ(moved.left, 20);
    EXPECT_EQ(moved.top, 30);
    EXPECT_EQ(moved.right - moved.left, 888);

    // A press anywhere on the picture drags it (here on the artwork itself; the
    // page lies over it, so the stand-in is hidden for the drag).
    ShowWindow(page.hwnd(), SW_HIDE);
    SetForegroundWindow(bk.hwnd());
    skintest::PumpIdle();
    const int sx = moved.left + 300, sy = moved.top + 200;
    SetCursorPos(sx, sy);
    const auto send = [](DWORD flags, int x, int y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        in.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        in.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
        SendInput(1, &in, sizeof in);
    };
    send(0, sx, sy);
    send(MOUSEEVENTF_LEFTDOWN, sx, sy);
    // The move loop runs inside the press; the rest of the drag is queued for it.
    send(0, sx + 20, sy + 10);
    send(0, sx + 40, sy + 25);
    send(MOUSEEVENTF_LEFTUP, sx + 40, sy + 25);
    // Waits for the move loop's last position, waking on each message it brings.
    const DWORD deadline = GetTickCount() + 5000;
    while (Rect(bk.hwnd()).left != moved.left + 40 && GetTickCount() < deadline) {
        skintest::PumpIdle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    const RECT dragged = Rect(bk.hwnd());
    EXPECT_EQ(dragged.left, moved.left + 40);
    EXPECT_EQ(dragged.top, moved.top + 25);
    EXPECT_TRUE(SameRect(Rect(page.hwnd()), dragged));
}

// Enter does nothing; Escape ends the login with 2.
TEST_F(LoginBkTest, EnterIsSwallowedAndEscapeLeavesWithTwo) {
    CLoginBkDlg bk(owner.hwnd, page);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                wchar_t t[32] = {};
                GetWindowTextW(h, t, 32);
                if (IsWindowVisible(h) && wcscmp(t, L"QuenraOrvane") == 0 && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED)) {
                    *reinterpret_cast<HWND*>(lp) = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (!found)
            return;
        KillTimer(nullptr, id);
        // Behind each other: Enter first; had it been taken, the login would end with 1.
        PostMessageW(found, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageW(found, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    });
    const INT_PTR result = bk.DoModal();
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd)) << "the owner is enabled again";
}

}  // namespace

namespace {

HWND g_goneOwner = nullptr;

// A login whose launcher window goes away (the launcher crashed or was
// killed) ends with 2 instead of staying on screen for good. The launcher is
// another process's window: here one of another thread, closed there.
TEST_F(LoginBkTest, LeavesWhenItsLauncherIsGone) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([ready] {
        TinyOwner launcher;
        g_goneOwner = launcher.hwnd;
        SetEvent(ready);
        while (IsWindow(launcher.hwnd)) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    CLoginBkDlg bk(g_goneOwner, page);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        KillTimer(nullptr, id);
        PostMessageW(g_goneOwner, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(bk.DoModal(), 2);
    KillTimer(nullptr, timer);
    other.join();
}

}  // namespace
