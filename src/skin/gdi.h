// RAII owners for the GDI objects, device contexts, image lists and GDI+ objects the
// program draws with. Every owner reports what it holds to one process-wide count,
// so a test can repaint a window many times and see that nothing is left behind
// (the system's own GDI object count is not available everywhere we test).
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace ovn::gdi {

// Objects currently held through the owners below, and how many were ever taken.
long LiveObjects();
long TakenObjects();

namespace detail {
void Took();
void Gave();
}  // namespace detail

// A move-only owner of one handle; Traits gives the release call.
template <typename Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;
    Owner() = default;
    explicit Owner(Handle h) : m_h(h) {
        if (m_h)
            detail::Took();
    }
    ~Owner() { reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : m_h(std::exchange(other.m_h, Handle{})) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            m_h = std::exchange(other.m_h, Handle{});
        }
        return *this;
    }
    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != Handle{}; }
    // Hands the handle to someone who releases it (a window region, a caller).
    Handle release() {
        if (m_h)
            detail::Gave();
        return std::exchange(m_h, Handle{});
    }
    void reset(Handle h = Handle{}) {
        Handle old = std::exchange(m_h, h);
        if (m_h)
            detail::Took();
        if (old) {
            Traits::Close(old);
            detail::Gave();
        }
    }

private:
    Handle m_h{};
};

template <typename H>
struct DeleteObjectTraits {
    using Handle = H;
    static void Close(H h) { ::DeleteObject(h); }
};
struct DeleteDCTraits {
    using Handle = HDC;
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct IconTraits {
    using Handle = HICON;
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct GpImageTraits {
    using Handle = Gdiplus::GpImage*;
    static void Close(Gdiplus::GpImage* p) { Gdiplus::DllExports::GdipDisposeImage(p); }
};
struct GpGraphicsTraits {
    using Handle = Gdiplus::GpGraphics*;
    static void Close(Gdiplus::GpGraphics* p) { Gdiplus::DllExports::GdipDeleteGraphics(p); }
};

using Bitmap = Owner<DeleteObjectTraits<HBITMAP>>;
using Region = Owner<DeleteObjectTraits<HRGN>>;
using Brush = Owner<DeleteObjectTraits<HBRUSH>>;
using Font = Owner<DeleteObjectTraits<HFONT>>;
using Pen = Owner<DeleteObjectTraits<HPEN>>;
using MemoryDC = Owner<DeleteDCTraits>;  // from CreateCompatibleDC
using ImageList = Owner<ImageListTraits>;
using Icon = Owner<IconTraits>;
using GpImage = Owner<GpImageTraits>;
using GpGraphics = Owner<GpGraphicsTraits>;

// GetDC / ReleaseDC for one scope (null window = the screen).
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {
        if (m_dc)
            detail::Took();
    }
    ~WindowDC() {
        if (m_dc) {
            ::ReleaseDC(m_hwnd, m_dc);
            detail::Gave();
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return m_dc; }
    const PAINTSTRUCT& ps() const { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// Selects an object into a device context and puts the previous one back, so
// the owner of the object can delete it afterwards.
class Select {
public:
    Select(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~Select() {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    Select(const Select&) = delete;
    Select& operator=(const Select&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// SaveDC / RestoreDC.
class SavedState {
public:
    explicit SavedState(HDC dc) : m_dc(dc), m_id(::SaveDC(dc)) {}
    ~SavedState() {
        if (m_id)
            ::RestoreDC(m_dc, m_id);
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    HDC m_dc;
    int m_id;
};

// A memory DC with a compatible bitmap selected: the off-screen buffer every
// skinned paint composes in before one copy to the screen.
class Buffer {
public:
    Buffer(HDC compatibleWith, int cx, int cy);
    HDC dc() const { return m_dc.get(); }
    explicit operator bool() const { return m_dc && m_bmp; }

private:
    MemoryDC m_dc;
    Bitmap m_bmp;
    Select m_sel;
};

// GdiplusStartup / GdiplusShutdown for one scope.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

// Size of a bitmap (0 x 0 for none).
SIZE BitmapSize(HBITMAP bmp);

// A bitmap's pixels as 32-bit blue, green, red, fourth byte values, rows top-down;
// empty when there is no bitmap or it cannot be read. size gets its dimensions.
std::vector<std::uint32_t> ReadPixels(HBITMAP bmp, SIZE& size);

}  // namespace ovn::gdi
