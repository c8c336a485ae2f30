#include "gamepage/login_bk_dlg.h"

#include <cstring>

#include "framework/placement.h"
#include "framework/start_marks.h"
#include "res/resource.h"
#include "res/skin_ids.h"

namespace ovn {

namespace gp = Gdiplus::DllExports;

namespace {

// A 32-bit top-down DIB section of w x h and where its pixels are.
fw::gdi::Bitmap CreateTopDownDib(int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    fw::gdi::WindowDC screen(nullptr);
    *bits = nullptr;
    fw::gdi::Bitmap bmp(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits)
        bmp.reset();
    return bmp;
}

}  // namespace

CLoginBkDlg::CLoginBkDlg(HWND owner, fw::Dialog& page) : fw::Dialog(IDD_PAGE_POPUP), m_owner(owner), m_page(page) {}

CLoginBkDlg::~CLoginBkDlg() {
    if (hwnd())
        Destroy();  // the image goes after the window that shows it
}

bool CLoginBkDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    ::SetWindowTextW(hwnd(), L"QuenraOrvane");
    LoadPicture();
    // Whole and centred in the work area, whatever its owner is.
    const RECT wa = fw::WorkArea();
    const fw::Origin at = fw::CentredOrigin(m_nWidth, m_nHeight, nullptr, fw::Area{wa.left, wa.top, wa.right, wa.bottom});
    PaintLayered(POINT{at.x, at.y});
    fw::RecordStartMark(fw::StartMark::Artwork);
    // Created hidden; the page shows itself once its first navigation completes.
    m_page.CreateModeless(hwnd());
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, ::GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_MINIMIZEBOX);
    // The game frame watches for its launcher's end; the login must as well, or
    // a login left open outlives a launcher that crashed or was killed.
    if (m_owner)
        SetTimer(kTimerLauncherAlive, kLauncherAliveMs);
    return false;
}

void CLoginBkDlg::LoadPicture() {
    m_nWidth = m_nHeight = 0;
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(IDB_LOGIN_BK), L"PNG");
    HGLOBAL loaded = res ? ::LoadResource(module, res) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = res ? ::SizeofResource(module, res) : 0;
    if (!bytes || size == 0)
        return;
    m_imageBytes.reset(::GlobalAlloc(GMEM_FIXED, size));
    if (!m_imageBytes)
        return;
    std::memcpy(m_imageBytes.get(), bytes, size);
    fw::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(m_imageBytes.get(), FALSE, stream.put())))
        return;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw)
        return;
    m_image.reset(raw);
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(raw, &w);
    gp::GdipGetImageHeight(raw, &h);
    if (w > 0x7FFF || h > 0x7FFF) {
        m_image.reset();
        return;
    }
    m_nWidth = static_cast<int>(w);
    m_nHeight = static_cast<int>(h);
}

void CLoginBkDlg::PaintLayered(POINT topLeft) {
    fw::gdi::WindowDC windowDc(hwnd());
    fw::gdi::MemoryDC memory(::CreateCompatibleDC(windowDc.get()));
    // The picture drawn into premultiplied 32-bit pixels: what per-pixel alpha
    // asks of the source (a device-dependent bitmap would lose the alpha).
    void* bits = nullptr;
    m_bmpLayered = m_nWidth > 0 && m_nHeight > 0 ? CreateTopDownDib(m_nWidth, m_nHeight, &bits) : fw::gdi::Bitmap{};
    if (m_bmpLayered && m_image) {
        Gdiplus::GpBitmap* target = nullptr;
        if (gp::GdipCreateBitmapFromScan0(m_nWidth, m_nHeight, m_nWidth * 4, PixelFormat32bppPARGB,
                                          static_cast<BYTE*>(bits), &target) == Gdiplus::Ok) {
            fw::gdi::GpImage targetOwner(target);
            Gdiplus::GpGraphics* g = nullptr;
            if (gp::GdipGetImageGraphicsContext(target, &g) == Gdiplus::Ok) {
                fw::gdi::GpGraphics graphics(g);
                gp::GdipSetCompositingMode(g, Gdiplus::CompositingModeSourceCopy);
                gp::GdipDrawImageRectI(g, m_image.get(), 0, 0, m_nWidth, m_nHeight);
                gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
            }
        }
    }
    fw::gdi::Select keep(memory.get(), m_bmpLayered.get());

    const LONG_PTR ex = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED))
        ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
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
    case WM_WINDOWPOSCHANGED: {
        const LRESULT r = Default();
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
