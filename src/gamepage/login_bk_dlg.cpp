#include "gamepage/login_bk_dlg.h"

#include "framework/picture.h"
#include "framework/placement.h"
#include "common/newer_windows.h"
#include "gamepage/login_place.h"
#include "skin/skin_image.h"
#include "skin/skin_scale.h"
#include "framework/start_marks.h"
#include "res/resource.h"
#include "res/skin_ids.h"

namespace ovn {

CLoginBkDlg::CLoginBkDlg(HWND owner, fw::Dialog& page) : fw::Dialog(IDD_PAGE_POPUP), m_owner(owner), m_page(page) {}

CLoginBkDlg::~CLoginBkDlg() {
    if (hwnd())
        Destroy();  // the image goes after the window that shows it
}

bool CLoginBkDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    ::SetWindowTextW(hwnd(), L"QuenraOrvane");
    // Created hidden; the page shows itself once its first navigation completes.
    // Made first: its page is fetched while the picture is decoded.
    m_page.CreateModeless(hwnd());
    // The drawing loaded is made for the window's scale.
    const DisplayScale scale = skin::LayoutScale(hwnd());
    LoadPicture(scale);
    // Whole and centred in the work area, whatever its owner is.
    const RECT wa = fw::WorkArea();
    const fw::Area at = gamepage::LoginArtworkPlace(skin::Size{m_nWidth, m_nHeight}, scale.Dpi(), scale,
                                                    fw::Area{wa.left, wa.top, wa.right, wa.bottom});
    PaintLayered(POINT{at.left, at.top});
    fw::ChangeStyle(hwnd(), WS_MINIMIZEBOX);
    // The game frame watches for its launcher's end; the login must as well, or
    // a login left open outlives a launcher that crashed or was killed.
    if (m_owner)
        SetTimer(kTimerLauncherAlive, kLauncherAliveMs);
    return false;
}

void CLoginBkDlg::LoadPicture(DisplayScale scale) {
    // Decoded once, straight into the premultiplied 32-bit pixels that per-pixel
    // alpha asks of the source; neither the PNG's bytes nor the decoder's own
    // image outlive the decoding.
    m_bmpLayered = skin::LoadSkinPicture(IDB_LOGIN_BK, scale, m_nWidth, m_nHeight);
}

void CLoginBkDlg::PaintLayered(POINT topLeft) {
    fw::gdi::WindowDC windowDc(hwnd());
    fw::gdi::MemoryDC memory(::CreateCompatibleDC(windowDc.get()));
    fw::gdi::Select keep(memory.get(), m_bmpLayered.get());

    fw::ChangeExStyle(hwnd(), WS_EX_LAYERED);
    SIZE size{m_nWidth, m_nHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd(), windowDc.get(), &topLeft, &size, memory.get(), &source, 0, &blend, ULW_ALPHA);
}

bool CLoginBkDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN)
        return true;  // Enter does not end the login
    return fw::Dialog::PreTranslateMessage(msg);
}

LRESULT CLoginBkDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        const LRESULT r = Default();
        // The whole picture is the caption: the system's move loop drags it.
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(hwnd(), &pt);
        ::SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
        return r;
    }
    case WM_TIMER:
        if (wParam == kTimerLauncherAlive && !::IsWindow(m_owner)) {
            KillTimer(kTimerLauncherAlive);
            EndDialog(IDCANCEL);
            return 0;
        }
        break;
    case kWmDpiChanged: {
        // Moved to a monitor of another scale: the drawing for that scale, where
        // the system suggests; the page follows the new size and place below.
        const DisplayScale scale(skin::NearestDrawnDpi(HIWORD(wParam), skin::SkinDpis()));
        LoadPicture(scale);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        if (m_bmpLayered && suggested)
            PaintLayered(POINT{suggested->left, suggested->top});
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        const LRESULT r = Default();
        if (::IsWindowVisible(hwnd()))
            fw::RecordStartMark(fw::StartMark::Artwork);
        // The page lies exactly over the picture, also while it is dragged.
        if (HWND page = m_page.hwnd()) {
            // Read back rather than taken from the change, which carries no
            // position when only the size or the z-order changed.
            RECT now{};
            ::GetWindowRect(hwnd(), &now);
            ::MoveWindow(page, now.left, now.top, now.right - now.left, now.bottom - now.top, TRUE);
        }
        return r;
    }
    }
    return fw::Dialog::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn
